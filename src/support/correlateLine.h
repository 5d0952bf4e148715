// Resampling one line of samples onto another of a different length.
//
// CcorrelateLineB precomputes which source samples feed each destination sample and with
// what linear weight, so a per-frame resample is a walk over three parallel arrays.
#pragma once

#include <cstdint>

class CcorrelateLineB {
  public:
    CcorrelateLineB() = default;
    ~CcorrelateLineB() { freeMem(); }
    CcorrelateLineB(CcorrelateLineB const&) = delete;
    CcorrelateLineB& operator=(CcorrelateLineB const&) = delete;

    // Sizes the arrays for lines of these lengths (2 * max + 3 entries); returns 1.
    int alloc(int sourceLength, int destLength);
    // Maps destination samples destStart..destEnd onto source positions sourceStart..sourceEnd.
    // Entries stop at the arrays' capacity; the end mark 65535 always stays inside them.
    void correlate(float sourceStart, float sourceEnd, float destStart, float destEnd, int unused = 0);
    void show() const;
    void freeMem();

    int capacity() const { return entryCapacity; }

    uint16_t* destIndex = nullptr;
    uint16_t* sourceIndex = nullptr;
    float* weight = nullptr;
    int32_t numEntries = 0;
    int32_t sourceLength = 0;
    int32_t destLength = 0;

  private:
    bool add(int dest, int source, float w);

    int entryCapacity = 0;
};
