// The web platform: a clipboard of named formats held in memory (the page
// hands the worksheet in and takes the result text out), global blocks on the
// heap, and message boxes collected for the page to show.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/web/web.h"

namespace {

struct Block {
    std::size_t size;
    unsigned char* bytes;  // size + 1 bytes, the last always zero
};

constexpr int MAX_FORMATS = 8;
constexpr int FORMAT_NAME_CAPACITY = 32;
constexpr platform::ClipboardFormat FIRST_NAMED_FORMAT = 0xC000;

constexpr int CAPTION_CAPACITY = 64;
// A message is formatted in the 4004-byte cell buffer at most.
constexpr int MESSAGE_CAPACITY = 4100;

struct ClipboardSlot {
    platform::ClipboardFormat format;  // 0: free
    Block* block;
};

struct Message {
    char caption[CAPTION_CAPACITY];
    char text[MESSAGE_CAPACITY];
};

char format_names[MAX_FORMATS][FORMAT_NAME_CAPACITY];
int format_total = 0;
ClipboardSlot slots[MAX_FORMATS];
bool clipboard_open = false;

Message messages[web::MAX_MESSAGES];
int messages_shown = 0;

Block* new_block(std::size_t size) {
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block)));
    if (block == nullptr) return nullptr;
    block->size = size;
    block->bytes = static_cast<unsigned char*>(std::calloc(size + 1, 1));
    if (block->bytes == nullptr) {
        std::free(block);
        return nullptr;
    }
    return block;
}

void delete_block(Block* block) {
    if (block == nullptr) return;
    std::free(block->bytes);
    std::free(block);
}

void clear_clipboard() {
    for (ClipboardSlot& slot : slots) {
        delete_block(slot.block);
        slot = ClipboardSlot{0, nullptr};
    }
}

ClipboardSlot* find_slot(platform::ClipboardFormat format) {
    for (ClipboardSlot& slot : slots)
        if (slot.format == format && format != 0) return &slot;
    return nullptr;
}

// The slot of a format, taking a free one when it has none; null when full.
ClipboardSlot* slot_for(platform::ClipboardFormat format) {
    if (ClipboardSlot* found = find_slot(format)) return found;
    for (ClipboardSlot& slot : slots) {
        if (slot.format == 0) {
            slot.format = format;
            return &slot;
        }
    }
    return nullptr;
}

platform::ClipboardFormat find_or_register(const char* name) {
    if (name == nullptr || std::strlen(name) >= FORMAT_NAME_CAPACITY) return 0;
    for (int i = 0; i < format_total; ++i)
        if (std::strcmp(format_names[i], name) == 0) return FIRST_NAMED_FORMAT + static_cast<unsigned>(i);
    if (format_total == MAX_FORMATS) return 0;
    std::snprintf(format_names[format_total], FORMAT_NAME_CAPACITY, "%s", name);
    return FIRST_NAMED_FORMAT + static_cast<unsigned>(format_total++);
}

void record(const char* text, const char* caption) {
    if (messages_shown < web::MAX_MESSAGES) {
        Message& m = messages[messages_shown];
        std::snprintf(m.caption, sizeof m.caption, "%s", caption != nullptr ? caption : "");
        std::snprintf(m.text, sizeof m.text, "%s", text != nullptr ? text : "");
    }
    ++messages_shown;
}

}  // namespace

namespace platform {

ClipboardFormat register_clipboard_format(const char* name) { return find_or_register(name); }

bool open_clipboard(WindowHandle) {
    if (clipboard_open) return false;
    clipboard_open = true;
    return true;
}

bool close_clipboard() {
    if (!clipboard_open) return false;
    clipboard_open = false;
    return true;
}

unsigned long last_error() { return 0; }

bool is_clipboard_format_available(ClipboardFormat format) { return find_slot(format) != nullptr; }

MemoryHandle get_clipboard_data(ClipboardFormat format) {
    if (!clipboard_open) return nullptr;
    const ClipboardSlot* slot = find_slot(format);
    return slot == nullptr ? nullptr : slot->block;
}

bool empty_clipboard() {
    if (!clipboard_open) return false;
    clear_clipboard();
    return true;
}

bool set_clipboard_data(ClipboardFormat format, MemoryHandle block) {
    if (!clipboard_open || block == nullptr) return false;
    ClipboardSlot* slot = slot_for(format);
    if (slot == nullptr) return false;
    if (slot->block != block) delete_block(slot->block);
    slot->block = static_cast<Block*>(block);
    return true;
}

MemoryHandle global_alloc(std::size_t size) { return new_block(size); }

std::size_t global_size(MemoryHandle block) { return block == nullptr ? 0 : static_cast<Block*>(block)->size; }

void* global_lock(MemoryHandle block) { return block == nullptr ? nullptr : static_cast<Block*>(block)->bytes; }

void global_unlock(MemoryHandle) {}

void global_free(MemoryHandle block) { delete_block(static_cast<Block*>(block)); }

void* allocate_private(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void free_private(void* memory) { std::free(memory); }

void show_message(WindowHandle, const char* text, const char* caption) { record(text, caption); }

void show_application_message(const char* text) { record(text, application_name()); }

// The page stands for the executable "morvenda".
const char* application_name() { return "morvenda"; }

}  // namespace platform

namespace web {

void reset() {
    clear_clipboard();
    format_total = 0;
    clipboard_open = false;
    messages_shown = 0;
    reset_dialog();
}

bool put_clipboard_block(const char* format_name, const unsigned char* bytes, std::size_t size) {
    const platform::ClipboardFormat format = find_or_register(format_name);
    ClipboardSlot* slot = format == 0 ? nullptr : slot_for(format);
    if (slot == nullptr) return false;
    Block* block = new_block(size);
    if (block == nullptr) return false;
    if (size > 0 && bytes != nullptr) std::memcpy(block->bytes, bytes, size);
    delete_block(slot->block);
    slot->block = block;
    return true;
}

const char* clipboard_text(std::size_t& length) {
    length = 0;
    const ClipboardSlot* slot = find_slot(platform::TEXT_FORMAT);
    if (slot == nullptr || slot->block == nullptr) return nullptr;
    const Block* block = slot->block;
    const void* zero = std::memchr(block->bytes, 0, block->size);
    length = zero == nullptr ? block->size
                             : static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - block->bytes);
    return reinterpret_cast<const char*>(block->bytes);
}

int message_count() { return messages_shown; }

const char* message_caption(int index) {
    return index >= 0 && index < messages_shown && index < MAX_MESSAGES ? messages[index].caption : "";
}

const char* message_text(int index) {
    return index >= 0 && index < messages_shown && index < MAX_MESSAGES ? messages[index].text : "";
}

}  // namespace web
