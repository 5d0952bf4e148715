// The 8-bit whole-image operations of imageFile: clearing, ramps, constant fills, channel
// scaling and adding, channel copies, the outline and halving. They work on raw bytes with
// integer arithmetic.
#include "data/imageOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/imageIO.h"
#include "support/cerr.h"

namespace {

bool whole8(imageFile const& im) {
    return im.pixelType == PIXEL_8BIT && holdsWholeImage(im);
}

// Channel index of a fill or mask letter; -1 for a letter that names none.
int letterChannel(char letter, int channels) {
    switch (letter) {
    case 'r':
        return 0;
    case 'g':
        return 1;
    case 'b':
        return 2;
    case 'a':
        return channels - 1;
    default:
        return -1;
    }
}

// A factor in 8.8 fixed point, bounded so that products stay well inside an int.
int fixedFactor(float factor) {
    float f = factor * 256.0f;
    if (!(f > -65536.0f)) return f < 0 ? -65536 : 0; // NaN gives 0
    return f >= 65536.0f ? 65536 : static_cast<int>(f);
}

uint8_t byteOfValue(float value) {
    float f = value * 255.0f;
    if (!(f > 0.0f)) return 0;
    return f >= 255.0f ? 255 : static_cast<uint8_t>(f);
}

} // namespace

bool holdsWholeImage(imageFile const& im) {
    if (im.scanLines == nullptr || im.bufferLine != 0 || im.rowCount < im.height || im.width == 0 ||
        im.height == 0 || im.channels < 1 || im.channels > 4)
        return false;
    for (int y = 0; y < im.height; y++)
        if (im.scanLines[y] == nullptr) return false; // rows of a borrowed block not placed yet
    return true;
}

uint16_t const* fattenCodes() {
    static uint16_t const* table = [] {
        static uint16_t codes[256];
        for (int v = 0; v < 256; v++) {
            int bits = (v + 8) / 16;
            codes[v] = static_cast<uint16_t>((1u << bits) - 1u);
        }
        return codes;
    }();
    return table;
}

void imageFile::zero() {
    if (!scanLines) return;
    for (int y = 0; y < rowCount; y++)
        if (scanLines[y]) std::memset(scanLines[y], 0, stride());
}

int imageFile::simpleRamp(int vertical) {
    if (!whole8(*this)) return 0;
    int step = 256 / (vertical ? height : width);
    for (int y = 0; y < height; y++) {
        unsigned char* row = scanLines[y];
        for (int x = 0; x < width; x++) {
            auto value = static_cast<uint8_t>((vertical ? y : x) * step);
            std::memset(row + size_t(x) * channels, value, channels);
        }
    }
    return 0;
}

int imageFile::fill(char const* letters, float const* values, int skip) {
    if (pixelType != PIXEL_8BIT || (channels != 1 && channels != 2 && channels != 4)) return 1;
    if (!holdsWholeImage(*this) || letters == nullptr || values == nullptr) return 1;
    // One 32-bit word holds 4 / channels pixels; byte k of it is channel k % channels.
    uint8_t maskBytes[4] = {0, 0, 0, 0}, valueBytes[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && letters[i]; i++) {
        int channel = letterChannel(letters[i], channels);
        if (channel < 0 || channel >= channels) continue;
        for (int k = channel; k < 4; k += channels) {
            maskBytes[k] = 0xFF;
            valueBytes[k] = byteOfValue(values[i]);
        }
    }
    if (skip == 1) return 0;
    uint32_t keep, set;
    std::memcpy(&keep, maskBytes, 4);
    std::memcpy(&set, valueBytes, 4);
    keep = ~keep;
    size_t words = size_t(width) * channels / 4;
    for (int y = 0; y < height; y++) {
        unsigned char* p = scanLines[y];
        for (size_t w = 0; w < words; w++, p += 4) {
            uint32_t word;
            std::memcpy(&word, p, 4);
            word = (word & keep) | set;
            std::memcpy(p, &word, 4);
        }
    }
    return 0;
}

int imageFile::mult(float const* factors) {
    if (!whole8(*this) || factors == nullptr) return 0;
    int f[4];
    for (int c = 0; c < channels; c++)
        f[c] = std::max(0, fixedFactor(factors[c]));
    for (int y = 0; y < height; y++) {
        unsigned char* p = scanLines[y];
        for (int x = 0; x < width; x++, p += channels) {
            for (int c = 0; c < channels; c++) {
                if (f[c] == 256) continue;
                int product = p[c] * f[c];
                p[c] = product > 65280 ? 255 : static_cast<uint8_t>(product / 256);
            }
        }
    }
    return 0;
}

int imageFile::addImage(imageFile* source, float const* factors) {
    if (source == nullptr || factors == nullptr || !whole8(*this) || !whole8(*source)) return 0;
    if (width != source->width || height != source->height) {
        VTRACE(1, "addImage - images must be same size " << width << "x" << height << " " << source->width
                                                         << "x" << source->height);
        return 1;
    }
    int n = std::min(channels, source->channels);
    for (int c = 0; c < n; c++) {
        int f = fixedFactor(factors[c]);
        if (f == 0) continue;
        for (int y = 0; y < height; y++) {
            unsigned char* d = scanLines[y] + c;
            unsigned char const* s = source->scanLines[y] + c;
            for (int x = 0; x < width; x++, d += channels, s += source->channels) {
                int sum = *s * f + *d * 256;
                *d = sum > 65280 ? 255 : sum < 0 ? 0 : static_cast<uint8_t>(sum / 256);
            }
        }
    }
    return 0;
}

void imageFile::channelCopy(int destChannel, imageFile* source, int sourceChannel) {
    if (source == nullptr) {
        VTRACE(1, "ERROR! bad assertion at " << 73);
        setExitError("bad assert", 1);
        return;
    }
    if (!whole8(*this) || !whole8(*source) || destChannel < 0 || destChannel >= channels ||
        sourceChannel < 0 || sourceChannel >= source->channels) {
        VTRACE(2, "not found");
        return;
    }
    if (source->width < width || source->height < height) {
        VTRACE(1, "channelCopy - source smaller than destination");
        return;
    }
    int rx = source->width / width, ry = source->height / height;
    for (int y = 0; y < height; y++) {
        unsigned char* d = scanLines[y] + destChannel;
        unsigned char const* s = source->scanLines[y * ry] + sourceChannel;
        size_t step = size_t(rx) * source->channels;
        for (int x = 0; x < width; x++, d += channels, s += step)
            *d = *s;
    }
}

void imageFile::fattenChannel(int destChannel, int sourceChannel, float) {
    if (!whole8(*this) || height < 3 || width < 3) return;
    if (destChannel < 0 || destChannel >= channels || sourceChannel < 0 || sourceChannel >= channels) return;
    uint16_t const* codes = fattenCodes();
    size_t px = channels;
    for (int y = 1; y < height - 1; y++) {
        for (int x = 1; x < width - 1; x++) {
            unsigned char* d = scanLines[y] + x * px + destChannel;
            if (*d >= 250) continue;
            unsigned bits = 0;
            for (int dy = -1; dy <= 1; dy++) {
                unsigned char const* s = scanLines[y + dy] + (x - 1) * px + sourceChannel;
                bits |= codes[s[0]] | codes[s[px]] | codes[s[2 * px]];
            }
            *d = static_cast<uint8_t>(bits >> 8);
        }
    }
}

int imageFile::downRes(imageFile* source, short halveX, short halveY) {
    if (source == nullptr || source == this || !whole8(*source)) return 1;
    int hx = halveX ? 1 : 0, hy = halveY ? 1 : 0;
    stolen = false; // sized here: a borrowed block is let go, not written past
    if (!init(static_cast<uint16_t>(source->width / (1 + hx)),
              static_cast<uint16_t>(source->height / (1 + hy)), source->channels,
              static_cast<uint16_t>(source->pixelType), 0, 1) ||
        !whole8(*this))
        return 1;
    int n = std::min(channels, source->channels);
    size_t sp = source->channels;
    for (int y = 0; y < height; y++) {
        unsigned char const* a = source->scanLines[y * (1 + hy)];
        unsigned char const* c = source->scanLines[y * (1 + hy) + hy];
        unsigned char* d = scanLines[y];
        for (int x = 0; x < width; x++, d += channels) {
            size_t s = size_t(x) * (1 + hx) * sp;
            for (int k = 0; k < n; k++)
                d[k] =
                    static_cast<uint8_t>((a[s + k] + a[s + hx * sp + k] + c[s + k] + c[s + hx * sp + k]) / 4);
        }
    }
    return 0;
}

int imageFile::prepMask(char const* letters, float const*, unsigned, unsigned char* index) {
    if (pixelType != PIXEL_8BIT || index == nullptr) return 0;
    std::memset(index, 255, 4);
    for (int i = 0; letters && i < 4 && letters[i]; i++) {
        int channel = letterChannel(letters[i], channels);
        if (channel >= 0) index[i] = static_cast<uint8_t>(channel);
    }
    return 0;
}
