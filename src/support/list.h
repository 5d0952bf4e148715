// Clist: a named array whose size is set once (or grown on demand) and then filled by
// index or appended to up to its capacity. It never grows by itself: a full list drops
// further elements with a trace line and the caller goes on. Lists are members of their
// owners and are never copied.
#pragma once

#include "support/cerr.h"
#include "support/mystring.h"

template <typename T> class Clist {
  public:
    Clist() : name("unnamed") {}
    ~Clist() { release(); }
    Clist(Clist const&) = delete;
    Clist& operator=(Clist const&) = delete;

    // Exactly n elements (contents discarded; types with a constructor get fresh ones) and,
    // when newName is not null, a new name. The same size again keeps everything, count
    // included. n <= 0 leaves the list without storage.
    void setSize(int n, char const* newName) {
        if (newName) name = newName;
        if (capacity != 0) {
            VTRACE(2, "LIST " << name << " already set");
            if (capacity == n) {
                VTRACE(2, "no matter, same size");
                return;
            }
            VTRACE(2, "setting to new size");
            release();
        }
        if (n <= 0) return;
        elements = new T[n];
        capacity = n;
        count = n;
    }

    // Room for at least n elements; contents are discarded only when it reallocates.
    void resizeLarger(int n) {
        if (capacity >= n) return;
        release();
        setSize(n, nullptr);
    }

    // Appends x while there is room; otherwise traces and drops it.
    void add(T const& x) {
        if (count < capacity) {
            elements[count++] = x;
        } else {
            VTRACE(1, " Clist:: accessing too high an index in " << name << "! ");
        }
    }

    // Element i. An index outside the array is traced and gets a scratch element, so
    // nothing outside the array is touched.
    T& operator[](int i) {
        if (i >= 0 && i < capacity) return elements[i];
        return outOfRange(i);
    }
    T const& operator[](int i) const { return const_cast<Clist*>(this)->operator[](i); }

    int capacity = 0;
    int count = 0;
    T* elements = nullptr;
    Cstring name;

  private:
    void release() {
        delete[] elements;
        elements = nullptr;
        capacity = 0;
        count = 0;
    }

    T& outOfRange(int i) {
        VTRACE(1, " Clist:: accessing too high an index in " << name << "!  " << i << "/" << capacity);
        static T scratch;
        scratch = T();
        return scratch;
    }
};
