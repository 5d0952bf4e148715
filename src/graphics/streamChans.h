// Vertex attributes and the vertex streams that carry them.
//
// A model sends each attribute in one stream: shared by every instance (STATIC), rewritten
// as the thing moves (DYNAMIC), fixed per instance (STATIC_UNIQUE), or not at all (REMOVE).
// Each stream has a mask of these bits.
#pragma once

#include <cstdint>

#include "support/mystring.h"

enum : uint16_t {
    CHAN_POSITION = 0x01,
    CHAN_DIFFUSE = 0x02,
    CHAN_TEX1 = 0x04,
    CHAN_TEX2 = 0x08,
    CHAN_NORMAL = 0x10,
    CHAN_SPECULAR = 0x20,
    CHAN_MAT2BLEND = 0x80,
};

enum : int16_t {
    STREAM_STATIC = 0,
    STREAM_DYNAMIC = 1,
    STREAM_STATIC_UNIQUE = 2,
    STREAM_REMOVE = 3,
    STREAM_COUNT = 4,
};

// The bit of a material-script attribute word ("pos", "color", "uv"...); 0 when unknown.
uint16_t attribWordToChan(char const* word);
// The mask as names ("POSITION TEX1 "), for traces.
Cstring attribMaskNames(uint16_t mask);
