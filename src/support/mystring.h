// Cstring: the engine's own string value type.
//
// One pointer wide. A null pointer is the empty string; otherwise it points at a heap
// block holding a 32-bit length, the characters and a terminating NUL. Blocks grow in
// 16-byte buckets up to 256 bytes, then in powers of two, so that appending a few
// characters mostly happens in place and building a long text piece by piece stays linear
// (16-byte steps made every append to a long text copy it). Copies
// are deep; there is no sharing and no locking. Strings may hold NUL bytes inside: the
// length, not the terminator, decides where a string ends.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <vector>

extern char nullChar; // writable empty text behind operator char* of an empty string

class Cstring {
  public:
    Cstring() = default;
    Cstring(char const* text);
    Cstring(Cstring const& other);
    Cstring(Cstring&& other) noexcept : block(other.block) { other.block = nullptr; }
    explicit Cstring(float value);
    explicit Cstring(double value) : Cstring(static_cast<float>(value)) {}
    explicit Cstring(int value);
    explicit Cstring(char c);
    ~Cstring();

    // A null pointer leaves the string unchanged; text may point into this string.
    Cstring& operator=(char const* text);
    Cstring& operator=(Cstring const& other);
    Cstring& operator=(Cstring&& other) noexcept;
    Cstring& operator=(float value);
    Cstring& operator=(double value) { return *this = static_cast<float>(value); }
    Cstring& operator=(int value);
    Cstring& operator=(char c);

    // Frees the block; for n > 0 allocates a fresh block of length n (characters undefined).
    void resizeChars(int n);
    // Resizes to n and copies n bytes of text (text may point into this string).
    void assign(char const* text, int n);

    // Appends n bytes; stays in place while the new length fits the block's bucket.
    char* append(char const* text, int n);
    Cstring& operator+=(char c) {
        append(&c, 1);
        return *this;
    }
    Cstring& operator+=(char const* text);
    Cstring& operator+=(Cstring const& other);

    int size() const { return block ? static_cast<int>(length()) : 0; }
    bool empty() const { return block == nullptr; }
    char const* c_str() const { return block ? chars() : ""; }
    operator char const*() const { return c_str(); }
    operator char*() { return block ? chars() : &nullChar; }
    // Null when empty: for code that fills a freshly resized string.
    char* getDataStart() { return block ? chars() : nullptr; }
    // Length field and terminator counted; 0 when empty.
    int currentAllocSize() const { return block ? size() + 5 : 0; }

    Cstring substr(int start, int count) const;
    // Printable copy: control bytes and bytes >= 128 become "[value]" (signed decimal).
    Cstring ascii() const;

    bool operator==(Cstring const& other) const;
    bool operator==(char const* text) const { return sameAs(text); }
    bool operator==(char const& c) const { return size() == 1 && chars()[0] == c; }
    bool operator!=(Cstring const& other) const { return !(*this == other); }
    bool operator!=(char const* text) const { return !sameAs(text); }
    bool sameAs(char const* text) const;
    // True when the length is exactly n and the n bytes equal text's first n bytes.
    bool compare(char const* text, int n) const;

    // Bytes of the heap block for a string of length n (the bucket rule).
    static size_t blockBytesFor(int n) {
        size_t bytes = (static_cast<size_t>(n) + 20) & ~size_t(15);
        return bytes <= 256 ? bytes : std::bit_ceil(bytes);
    }

  private:
    uint32_t length() const { return *reinterpret_cast<uint32_t const*>(block); }
    char* chars() const { return block + 4; }
    static char* allocBlock(int n);

    char* block = nullptr;
};

Cstring operator+(Cstring const& left, char const* right);
Cstring operator+(char const* left, Cstring const& right);
Cstring operator+(Cstring const& left, Cstring const& right);
std::ostream& operator<<(std::ostream& out, Cstring const& s);

// Index of the first element equal to s, or -1.
int findInStringVector(std::vector<Cstring> const& list, Cstring const& s);
