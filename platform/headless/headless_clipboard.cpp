// The headless platform: a clipboard of named formats held in memory, global
// blocks on the heap, message boxes recorded. Every
// operation the clipboard reader and writer use can be made to fail.
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_memory.h"
#include "platform/platform.h"

namespace {

// A global block: its bytes and a zero byte after them, held by a vector or,
// for a block its writer handed over as it was written, by `written`.
struct Block {
    std::vector<unsigned char> storage;
    std::unique_ptr<unsigned char[]> written;
    std::size_t written_size = 0;
    unsigned char* bytes() { return written ? written.get() : storage.data(); }
    std::size_t size() const { return written ? written_size : storage.size() - 1; }
};

struct State {
    std::vector<std::string> format_names;  // format id = 0xC000 + index
    std::map<platform::ClipboardFormat, Block*> clipboard;
    bool open = false;
    int writes = 0;
    bool faults[static_cast<int>(headless::Fault::Count)] = {};
    unsigned long last_error = 0;
    bool decimal_comma = false;
    unsigned long error_on_close = 5;  // ERROR_ACCESS_DENIED
    int private_outstanding = 0;
    std::vector<headless::Message> messages;
    std::string application_name = "morvenda";

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    // Blocks still on the clipboard when the process ends are freed with it.
    ~State() {
        for (auto& entry : clipboard) delete entry.second;
    }
};

State& state() {
    static State s;
    return s;
}

bool failing(headless::Fault fault) { return state().faults[static_cast<int>(fault)]; }

Block* new_block(std::size_t size) { return new Block{std::vector<unsigned char>(size + 1), nullptr, 0}; }

void clear_clipboard() {
    for (const auto& entry : state().clipboard) delete entry.second;
    state().clipboard.clear();
}

platform::ClipboardFormat find_or_register(const char* name) {
    auto& names = state().format_names;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<platform::ClipboardFormat>(0xC000 + i);
    names.emplace_back(name);
    return static_cast<platform::ClipboardFormat>(0xC000 + names.size() - 1);
}

void put_block(const char* format_name, Block* block) {
    const platform::ClipboardFormat format =
        format_name == nullptr ? platform::TEXT_FORMAT : find_or_register(format_name);
    auto& slot = state().clipboard[format];
    delete slot;
    slot = block;
}

void record(const char* text, const char* caption) {
    state().messages.push_back(headless::Message{caption, text});
}

}  // namespace

namespace platform {

ClipboardFormat register_clipboard_format(const char* name) {
    if (failing(headless::Fault::RegisterFormat)) return 0;
    return find_or_register(name);
}

bool open_clipboard(WindowHandle) {
    if (failing(headless::Fault::OpenClipboard) || state().open) return false;
    state().open = true;
    return true;
}

bool close_clipboard() {
    if (!state().open) return false;
    state().open = false;
    if (failing(headless::Fault::CloseClipboard)) {
        state().last_error = state().error_on_close;
        return false;
    }
    return true;
}

unsigned long last_error() { return state().last_error; }

bool is_clipboard_format_available(ClipboardFormat format) {
    return state().clipboard.count(format) != 0;
}

MemoryHandle get_clipboard_data(ClipboardFormat format) {
    if (!state().open || failing(headless::Fault::GetClipboardData)) return nullptr;
    auto found = state().clipboard.find(format);
    return found == state().clipboard.end() ? nullptr : found->second;
}

// The text as it stands in its block: the clipboard keeps no Unicode text.
bool get_clipboard_text(ClipboardText& text) {
    if (!state().open || failing(headless::Fault::GetClipboardData) || !headless::clipboard_has_text()) return false;
    const std::string_view view = headless::clipboard_text_view();
    text = ClipboardText{reinterpret_cast<const unsigned char*>(view.data()), view.size(), state().decimal_comma};
    return true;
}

bool empty_clipboard() {
    if (!state().open || failing(headless::Fault::EmptyClipboard)) return false;
    clear_clipboard();
    ++state().writes;
    return true;
}

bool set_clipboard_data(ClipboardFormat format, MemoryHandle block) {
    if (!state().open || block == nullptr || failing(headless::Fault::SetClipboardData)) return false;
    auto& slot = state().clipboard[format];
    if (slot != block) delete slot;
    slot = static_cast<Block*>(block);
    ++state().writes;
    return true;
}

MemoryHandle global_alloc(std::size_t size) {
    if (failing(headless::Fault::GlobalAlloc)) return nullptr;
    return new_block(size);
}

std::size_t global_size(MemoryHandle block) {
    return block == nullptr ? 0 : static_cast<Block*>(block)->size();
}

void* global_lock(MemoryHandle block) {
    if (block == nullptr || failing(headless::Fault::GlobalLock)) return nullptr;
    return static_cast<Block*>(block)->bytes();
}

void global_unlock(MemoryHandle) {}

void global_free(MemoryHandle block) { delete static_cast<Block*>(block); }

void* allocate_private(std::size_t size) {
    if (failing(headless::Fault::AllocatePrivate)) return nullptr;
    void* memory = headless::allocate_large_block(size);
    if (memory == nullptr) memory = std::malloc(size == 0 ? 1 : size);
    if (memory != nullptr) ++state().private_outstanding;
    return memory;
}

void free_private(void* memory) {
    if (memory == nullptr) return;
    --state().private_outstanding;
    if (!headless::free_large_block(memory)) std::free(memory);
}

void show_message(WindowHandle, const char* text, const char* caption) { record(text, caption); }

void show_application_message(const char* text) { record(text, state().application_name.c_str()); }

const char* application_name() { return state().application_name.c_str(); }

}  // namespace platform

namespace headless {

void reset() {
    clear_clipboard();
    State& s = state();
    s.format_names.clear();
    s.open = false;
    s.writes = 0;
    for (bool& fault : s.faults) fault = false;
    s.last_error = 0;
    s.decimal_comma = false;
    s.error_on_close = 5;
    s.private_outstanding = 0;
    s.messages.clear();
    reset_dialog();
}

void put_clipboard_block(const char* format_name, const void* bytes, std::size_t size) {
    Block* block = new_block(size);
    if (size > 0) std::memcpy(block->bytes(), bytes, size);
    put_block(format_name, block);
}

void put_clipboard_block(const char* format_name, std::vector<unsigned char>&& bytes) {
    bytes.push_back(0);
    put_block(format_name, new Block{std::move(bytes), nullptr, 0});
}

std::unique_ptr<unsigned char[]> new_clipboard_bytes(std::size_t capacity) {
    return std::unique_ptr<unsigned char[]>(new unsigned char[capacity + 1]);
}

void put_clipboard_block(const char* format_name, std::unique_ptr<unsigned char[]> bytes, std::size_t size) {
    bytes[size] = 0;
    Block* block = new Block{};
    block->written = std::move(bytes);
    block->written_size = size;
    put_block(format_name, block);
}

bool clipboard_has_text() { return state().clipboard.count(platform::TEXT_FORMAT) != 0; }

std::string_view clipboard_text_view() {
    auto found = state().clipboard.find(platform::TEXT_FORMAT);
    if (found == state().clipboard.end()) return std::string_view();
    Block* block = found->second;
    const auto* text = reinterpret_cast<const char*>(block->bytes());
    const void* zero = std::memchr(text, 0, block->size());
    const std::size_t n = zero == nullptr ? block->size() : static_cast<std::size_t>(static_cast<const char*>(zero) - text);
    return std::string_view(text, n);
}

std::string clipboard_text() { return std::string(clipboard_text_view()); }

bool clipboard_is_open() { return state().open; }

int clipboard_write_count() { return state().writes; }

void set_fault(Fault fault, bool on) { state().faults[static_cast<int>(fault)] = on; }

void set_decimal_comma(bool on) { state().decimal_comma = on; }

void set_last_error(unsigned long code) { state().error_on_close = code; }

int private_blocks_outstanding() { return state().private_outstanding; }

const std::vector<Message>& messages() { return state().messages; }

void set_application_name(const char* name) { state().application_name = name; }

}  // namespace headless
