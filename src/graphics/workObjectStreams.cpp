// Writing a work object's current buffer into interleaved vertex records for the device.
#include <cstring>

#include "graphics/deviceGlobals.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"

namespace {

// A colour float as a byte: x 255, truncated, held to 0..255.
uint32_t colorByte(float v) {
    float scaled = v * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 255.0f ? 255u : static_cast<uint32_t>(scaled);
}

// A coordinate as a 16-bit fixed-point value: x 2048, truncated, held to the 16-bit range.
int16_t fixed2048(float v) {
    float scaled = v * 2048.0f;
    if (!(scaled > -32768.0f)) return -32768; // also NaN
    if (scaled >= 32767.0f) return 32767;
    return static_cast<int16_t>(scaled);
}

void storeWord(float* at, uint32_t word) {
    std::memcpy(at, &word, sizeof word);
}

void storeShorts(float* at, int16_t const* values, int count) {
    std::memcpy(at, values, sizeof(int16_t) * static_cast<size_t>(count));
}

} // namespace

void CworkObject::copyCGeoDataIntoRenderStreamFormat(float* dest, int stride, int what) {
    if (dest == nullptr || curGeo == nullptr || model == nullptr || stride <= 0 || numPoints <= 0) return;
    float const* data = curGeo->pointData();
    if (data == nullptr) return;
    int format = model->apiFormat;
    // Point i of an attribute at offset (in floats per point) and of size floats.
    auto at = [&](int offset, int size, int i) {
        return data + static_cast<size_t>(offset) * numPoints + static_cast<size_t>(i) * size;
    };
    // A part is written only when it lies inside the record and its attribute exists.
    auto fits = [&](int streamOffset, int floats, int attribOffset) {
        return streamOffset >= 0 && streamOffset + floats <= stride && attribOffset >= 0;
    };

    if (what & 1) {
        bool compressed = format & CmaterialOwner::API_COMPRESSED_POSITIONS;
        int floats = compressed ? 2 : (posSize == 3 ? 3 : 4);
        if (fits(0, floats, posOffset)) {
            for (int i = 0; i < numPoints; i++) {
                float const* p = at(posOffset, posSize, i);
                float* d = dest + static_cast<size_t>(i) * stride;
                if (!compressed) {
                    std::memcpy(d, p, sizeof(float) * static_cast<size_t>(floats));
                    continue;
                }
                bool colorInW = format & CmaterialOwner::API_COLOR_IN_W;
                float w = colorInW && colorOffset >= 0 ? at(colorOffset, colorSize, i)[0] : 1.0f;
                int16_t fixed[4] = {fixed2048(p[0]), fixed2048(p[1]), fixed2048(p[2]), fixed2048(w)};
                storeShorts(d, fixed, 4);
            }
        }
    }
    if ((what & 2) && GLSL && fits(colorStreamOffset, 1, colorOffset)) {
        uint8_t channel = model->oneChannelColor;
        for (int i = 0; i < numPoints; i++) {
            float const* c = at(colorOffset, colorSize, i);
            uint32_t word;
            if (channel != 255) {
                if (channel >= colorSize) continue;
                word = colorByte(c[channel]) * 0x01010101u;
            } else if (colorSize == 3) {
                word = colorByte(c[0]) + 256u * colorByte(c[1]) + 65536u * colorByte(c[2]) + 0xFF000000u;
            } else if (colorSize == 4) {
                word = colorByte(c[0]) + 256u * colorByte(c[1]) + 65536u * colorByte(c[2]) +
                       16777216u * colorByte(c[3]);
            } else {
                continue;
            }
            storeWord(dest + static_cast<size_t>(i) * stride + colorStreamOffset, word);
        }
    }
    if ((what & 16) && fits(normalStreamOffset, 3, normalOffset)) {
        for (int i = 0; i < numPoints; i++)
            std::memcpy(dest + static_cast<size_t>(i) * stride + normalStreamOffset, at(normalOffset, 3, i),
                        3 * sizeof(float));
    }
    if ((what & 32) && fits(specStreamOffset, 1, specOffset)) {
        for (int i = 0; i < numPoints; i++) {
            float const* s = at(specOffset, 3, i);
            uint32_t r = colorByte(s[0]), g = colorByte(s[1]), b = colorByte(s[2]);
            uint32_t word = (GLSL ? r + 256u * g + 65536u * b : b + 256u * g + 65536u * r) + 0xFF000000u;
            storeWord(dest + static_cast<size_t>(i) * stride + specStreamOffset, word);
        }
    }
    if ((what & 4) && fits(uvStreamOffset, 2, uvOffset)) {
        for (int i = 0; i < numPoints; i++)
            std::memcpy(dest + static_cast<size_t>(i) * stride + uvStreamOffset, at(uvOffset, 2, i),
                        2 * sizeof(float));
    }
    bool compressedUV = format & CmaterialOwner::API_COMPRESSED_UV2;
    if ((what & 8) && fits(uvBStreamOffset, compressedUV ? 1 : 2, uvBOffset)) {
        for (int i = 0; i < numPoints; i++) {
            float const* uv = at(uvBOffset, 2, i);
            float* d = dest + static_cast<size_t>(i) * stride + uvBStreamOffset;
            if (compressedUV) {
                int16_t fixed[2] = {fixed2048(uv[0]), fixed2048(uv[1])};
                storeShorts(d, fixed, 2);
            } else {
                std::memcpy(d, uv, 2 * sizeof(float));
            }
        }
    }
}
