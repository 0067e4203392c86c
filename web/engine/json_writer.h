// A JSON text written into a fixed buffer: what the page's interface hands
// to JavaScript. Numbers keep every bit ("%.17g"); a number that is not
// finite is written as null. Text that does not fit marks the writer as
// overflowed; the caller then reports that instead of a cut text.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdio>

class JsonWriter {
public:
    JsonWriter(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) { clear(); }

    void clear() {
        length_ = 0;
        overflowed_ = false;
        need_comma_ = false;
        if (capacity_ > 0) buffer_[0] = '\0';
    }

    void begin_object() { open('{'); }
    void end_object() { close('}'); }
    void begin_array() { open('['); }
    void end_array() { close(']'); }

    // A member name; the value follows with one of the calls below.
    void key(const char* name) {
        separate();
        string_text(name);
        raw(":");
        need_comma_ = false;
    }

    void number(double v) {
        separate();
        if (!std::isfinite(v)) {
            raw("null");
        } else {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", v);
            raw(text);
        }
        need_comma_ = true;
    }

    void integer(long long v) {
        separate();
        char text[24];
        std::snprintf(text, sizeof text, "%lld", v);
        raw(text);
        need_comma_ = true;
    }

    void boolean(bool v) {
        separate();
        raw(v ? "true" : "false");
        need_comma_ = true;
    }

    void null() {
        separate();
        raw("null");
        need_comma_ = true;
    }

    void string(const char* text) {
        separate();
        string_text(text);
        need_comma_ = true;
    }

    // Member shorthands.
    void field(const char* name, double v) {
        key(name);
        number(v);
    }
    void field_int(const char* name, long long v) {
        key(name);
        integer(v);
    }
    void field_bool(const char* name, bool v) {
        key(name);
        boolean(v);
    }
    void field_string(const char* name, const char* v) {
        key(name);
        string(v);
    }

    bool overflowed() const { return overflowed_; }
    const char* text() const { return buffer_; }

private:
    void open(char c) {
        separate();
        put(c);
        need_comma_ = false;
    }
    void close(char c) {
        put(c);
        need_comma_ = true;
    }
    void separate() {
        if (need_comma_) put(',');
    }
    void raw(const char* text) {
        for (const char* p = text; *p != '\0'; ++p) put(*p);
    }
    // Bytes 0x80 and above pass as they are: the page reads the text as UTF-8.
    void string_text(const char* text) {
        put('"');
        for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
            const auto byte = static_cast<unsigned char>(*p);
            if (byte == '"' || byte == '\\') {
                put('\\');
                put(static_cast<char>(byte));
            } else if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                raw(escaped);
            } else {
                put(static_cast<char>(byte));
            }
        }
        put('"');
    }
    void put(char c) {
        if (length_ + 1 >= capacity_) {
            overflowed_ = true;
            return;
        }
        buffer_[length_++] = c;
        buffer_[length_] = '\0';
    }

    char* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool overflowed_ = false;
    bool need_comma_ = false;
};
