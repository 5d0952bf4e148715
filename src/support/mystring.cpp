#include "support/mystring.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

char nullChar = 0;

char* Cstring::allocBlock(int n) {
    char* b = static_cast<char*>(std::malloc(blockBytesFor(n)));
    if (!b) std::abort(); // out of memory: nothing sensible can go on
    *reinterpret_cast<uint32_t*>(b) = static_cast<uint32_t>(n);
    b[4 + n] = 0;
    return b;
}

Cstring::Cstring(char const* text) {
    if (text) append(text, static_cast<int>(std::strlen(text)));
}

Cstring::Cstring(Cstring const& other) {
    append(other.c_str(), other.size());
}

Cstring::Cstring(float value) {
    *this = value;
}
Cstring::Cstring(int value) {
    *this = value;
}
Cstring::Cstring(char c) {
    append(&c, 1);
}

Cstring::~Cstring() {
    std::free(block);
}

Cstring& Cstring::operator=(char const* text) {
    if (!text) return *this;
    assign(text, static_cast<int>(std::strlen(text)));
    return *this;
}

Cstring& Cstring::operator=(Cstring const& other) {
    if (this != &other) assign(other.c_str(), other.size());
    return *this;
}

Cstring& Cstring::operator=(Cstring&& other) noexcept {
    if (this != &other) {
        std::free(block);
        block = other.block;
        other.block = nullptr;
    }
    return *this;
}

// "%g" text of a float, always in the C locale: to_chars never looks at the user's locale.
Cstring& Cstring::operator=(float value) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    resizeChars(0);
    append(buf, static_cast<int>(result.ptr - buf));
    return *this;
}

Cstring& Cstring::operator=(int value) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%d", value);
    resizeChars(0);
    append(buf, n);
    return *this;
}

Cstring& Cstring::operator=(char c) {
    assign(&c, 1);
    return *this;
}

void Cstring::resizeChars(int n) {
    std::free(block);
    block = n > 0 ? allocBlock(n) : nullptr;
}

void Cstring::assign(char const* text, int n) {
    if (n <= 0) {
        resizeChars(0);
        return;
    }
    // Build the new block before freeing the old one: text may lie inside it.
    char* fresh = allocBlock(n);
    std::memcpy(fresh + 4, text, static_cast<size_t>(n));
    std::free(block);
    block = fresh;
}

char* Cstring::append(char const* text, int n) {
    if (n <= 0) return block ? chars() : nullptr;
    if (!block) {
        block = allocBlock(n);
        std::memcpy(chars(), text, static_cast<size_t>(n));
        return chars();
    }
    int old = size();
    if (blockBytesFor(old + n) == blockBytesFor(old)) {
        std::memmove(chars() + old, text, static_cast<size_t>(n));
        *reinterpret_cast<uint32_t*>(block) = static_cast<uint32_t>(old + n);
        chars()[old + n] = 0;
        return chars();
    }
    char* fresh = allocBlock(old + n);
    std::memcpy(fresh + 4, chars(), static_cast<size_t>(old));
    std::memcpy(fresh + 4 + old, text, static_cast<size_t>(n)); // text may be in the old block
    std::free(block);
    block = fresh;
    return chars();
}

Cstring& Cstring::operator+=(char const* text) {
    if (text) append(text, static_cast<int>(std::strlen(text)));
    return *this;
}

Cstring& Cstring::operator+=(Cstring const& other) {
    if (this == &other) {
        Cstring copy(other);
        append(copy.c_str(), copy.size());
    } else {
        append(other.c_str(), other.size());
    }
    return *this;
}

Cstring Cstring::substr(int start, int count) const {
    Cstring out;
    int len = size();
    if (start < 0 || start >= len) return out;
    if (count > len - start) count = len - start;
    if (count > 0) out.append(chars() + start, count);
    return out;
}

Cstring Cstring::ascii() const {
    Cstring out;
    for (int i = 0; i < size(); i++) {
        signed char c = static_cast<signed char>(chars()[i]);
        if (c < 32) {
            char buf[16];
            int n = std::snprintf(buf, sizeof buf, "[%d]", static_cast<int>(c));
            out.append(buf, n);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool Cstring::operator==(Cstring const& other) const {
    int n = size();
    return n == other.size() && (n == 0 || std::memcmp(chars(), other.chars(), static_cast<size_t>(n)) == 0);
}

bool Cstring::sameAs(char const* text) const {
    if (!text) return size() == 0;
    size_t n = std::strlen(text);
    return n == static_cast<size_t>(size()) && (n == 0 || std::memcmp(chars(), text, n) == 0);
}

bool Cstring::compare(char const* text, int n) const {
    if (n != size()) return false;
    return n == 0 || std::memcmp(chars(), text, static_cast<size_t>(n)) == 0;
}

Cstring operator+(Cstring const& left, char const* right) {
    Cstring out(left);
    out += right;
    return out;
}

Cstring operator+(char const* left, Cstring const& right) {
    Cstring out(left);
    out += right;
    return out;
}

Cstring operator+(Cstring const& left, Cstring const& right) {
    Cstring out(left);
    out += right;
    return out;
}

std::ostream& operator<<(std::ostream& out, Cstring const& s) {
    char const* p = s.c_str();
    for (int i = 0; i < s.size(); i++)
        out.put(p[i]);
    return out;
}

int findInStringVector(std::vector<Cstring> const& list, Cstring const& s) {
    for (size_t i = 0; i < list.size(); i++)
        if (list[i] == s) return static_cast<int>(i);
    return -1;
}
