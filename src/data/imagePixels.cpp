// Pixel records and the per-pixel access of imageFile.
#include <algorithm>
#include <cstring>

#include "data/imageIO.h"

pixelFloat::pixelFloat(int count) : v(new float[count > 0 ? count : 0]()), length(count > 0 ? count : 0) {}

pixelFloat::pixelFloat(pixelFloat const& other) : v(new float[other.length]), length(other.length) {
    std::copy(other.v, other.v + length, v);
}

pixelFloat& pixelFloat::operator=(pixelFloat const& other) {
    if (this == &other) return *this;
    float* copy = new float[other.length];
    std::copy(other.v, other.v + other.length, copy);
    delete[] v;
    v = copy;
    length = other.length;
    return *this;
}

#define PIXEL_FLOAT_OP(op)                                                                                   \
    pixelFloat& pixelFloat::operator op(pixelFloat const& o) {                                               \
        int n = std::min(length, o.length);                                                                  \
        for (int i = 0; i < n; i++)                                                                          \
            v[i] op o.v[i];                                                                                  \
        return *this;                                                                                        \
    }
PIXEL_FLOAT_OP(+=)
PIXEL_FLOAT_OP(-=)
PIXEL_FLOAT_OP(*=)
PIXEL_FLOAT_OP(/=)
#undef PIXEL_FLOAT_OP

pixelFloat& pixelFloat::operator*=(float f) {
    for (int i = 0; i < length; i++)
        v[i] *= f;
    return *this;
}

pixelFloat& pixelFloat::operator/=(float f) {
    return *this *= 1.0f / f;
}

void pixelFloat::setAll(float value) {
    std::fill(v, v + length, value);
}

void pixelFloat::assign(float r, float g, float b, float a) {
    float in[4] = {r, g, b, a};
    for (int i = 0; i < length && i < 4; i++)
        v[i] = in[i];
}

void RGB2HSV(pixelFloat const& p, float& h, float& s, float& v) {
    float r = p.safe(0), g = p.safe(1), b = p.safe(2);
    float mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
    v = mx;
    s = mx > 0 ? (mx - mn) / mx : 0;
    if (mx == mn) {
        h = 0;
        return;
    }
    float d = mx - mn;
    if (mx == r)
        h = g == mn ? 360 - 60 * (b - mn) / d : 60 * (g - mn) / d;
    else if (mx == g)
        h = b == mn ? 120 - 60 * (r - mn) / d : 120 + 60 * (b - mn) / d;
    else
        h = r == mn ? 240 - 60 * (g - mn) / d : 240 + 60 * (r - mn) / d;
}

int pixel2CREF(pixelFloat const& p) {
    int r = static_cast<int>(p.safe(0) * 255), g = static_cast<int>(p.safe(1) * 255);
    int b = static_cast<int>(p.safe(2) * 255);
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// Float to integer sample, clamped to the sample's range; NaN gives the lower bound.
static int clampSample(double scaled, int lo, int hi) {
    if (!(scaled > lo)) return lo;
    if (scaled >= hi) return hi;
    return static_cast<int>(scaled);
}

static int16_t readFixed(unsigned char const* p) {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

static void writeFixed(unsigned char* p, int v) {
    int16_t s = static_cast<int16_t>(v);
    std::memcpy(p, &s, 2);
}

static unsigned char* rowStart(imageFile& im, int x, int y) {
    return im.scanLines[y - im.bufferLine] + size_t(x) * im.channels * im.bytesPerChannel;
}

int imageFile::getPixel(int x, int y, pixel8& p) {
    if (pixelType == PIXEL_8BIT && channels)
        std::memcpy(p.c, rowStart(*this, x, y), std::min<int>(channels, 4));
    return 1;
}

int imageFile::setPixel(int x, int y, pixel8& p) {
    if (pixelType == PIXEL_8BIT) std::memcpy(rowStart(*this, x, y), p.c, std::min<int>(channels, 4));
    return 0;
}

int imageFile::getPixel(int x, int y, pixelFixed& p) {
    unsigned char* a = rowStart(*this, x, y);
    for (int c = 0; c < channels && c < 4; c++) {
        if (pixelType == PIXEL_8BIT)
            p[c] = static_cast<int16_t>(a[c] << 5);
        else if (pixelType == PIXEL_FIXED)
            p[c] = readFixed(a + 2 * c);
    }
    return 1;
}

int imageFile::setPixel(int x, int y, pixelFixed& p) {
    unsigned char* a = rowStart(*this, x, y);
    for (int c = 0; c < channels && c < 4; c++) {
        if (pixelType == PIXEL_8BIT)
            a[c] = static_cast<uint8_t>(std::clamp(p[c] >> 5, 0, 255));
        else if (pixelType == PIXEL_FIXED)
            writeFixed(a + 2 * c, p[c]);
    }
    return 1;
}

int imageFile::getPixel(int x, int y, pixelFloat& p) {
    unsigned char* a = rowStart(*this, x, y);
    int n = std::min<int>(channels, p.size());
    for (int c = 0; c < n; c++) {
        if (pixelType == PIXEL_8BIT)
            p(c) = a[c] * 0.003921569f;
        else if (pixelType == PIXEL_FIXED)
            p(c) = readFixed(a + 2 * c) * (1.0f / 8192);
        else if (bytesPerChannel >= 4)
            std::memcpy(&p(c), a + 4 * c, 4);
    }
    return 1;
}

// Channels the pixel record does not hold count as 0.
int imageFile::setPixel(int x, int y, pixelFloat& p) {
    unsigned char* a = rowStart(*this, x, y);
    for (int c = 0; c < channels; c++) {
        float v = p.safe(c);
        if (pixelType == PIXEL_8BIT)
            a[c] = static_cast<uint8_t>(clampSample(v * 255.01, 0, 255));
        else if (pixelType == PIXEL_FIXED)
            writeFixed(a + 2 * c, clampSample(v * 8192.0, -32768, 32767));
        else if (pixelType == PIXEL_FLOAT)
            std::memcpy(a + 4 * c, &v, 4);
    }
    return 0;
}

int imageFile::addPixel(int x, int y, pixelFloat& p) {
    unsigned char* a = rowStart(*this, x, y);
    for (int c = 0; c < channels; c++) {
        float v = p.safe(c);
        if (pixelType == PIXEL_8BIT) {
            a[c] = static_cast<uint8_t>(std::clamp(a[c] + clampSample(v * 255.01, -255, 255), 0, 255));
        } else if (pixelType == PIXEL_FIXED) {
            int sum = readFixed(a + 2 * c) + clampSample(v * 8192.0, -65535, 65535);
            writeFixed(a + 2 * c, std::clamp(sum, -32768, 32767));
        } else if (pixelType == PIXEL_FLOAT) {
            float f;
            std::memcpy(&f, a + 4 * c, 4);
            f += v;
            std::memcpy(a + 4 * c, &f, 4);
        }
    }
    return 0;
}

namespace {
// The four neighbours of a bilinear sample; edges repeat the last column and row.
struct Bilinear {
    int ix, iy, ix1, iy1;
    float fx, fy;
    Bilinear(imageFile const& im, float x, float y) {
        ix = static_cast<int>(x);
        int row = static_cast<int>(y);
        fx = x - ix;
        fy = y - row;
        iy = row - im.bufferLine;
        ix1 = ix < im.width - 1 ? ix + 1 : ix;
        iy1 = iy < im.rowCount - 1 ? iy + 1 : iy;
    }
    float mix(float ul, float ur, float ll, float lr) const {
        return (ll * (1 - fx) + lr * fx) * fy + (ul * (1 - fx) + ur * fx) * (1 - fy);
    }
};
} // namespace

int imageFile::getPixel(float x, float y, pixel8& p) {
    if (pixelType != PIXEL_8BIT) return 1;
    Bilinear b(*this, x, y);
    for (int c = 0; c < channels && c < 4; c++) {
        float v = b.mix(*getScanLineAddress(b.ix, b.iy, c), *getScanLineAddress(b.ix1, b.iy, c),
                        *getScanLineAddress(b.ix, b.iy1, c), *getScanLineAddress(b.ix1, b.iy1, c));
        p[c] = static_cast<uint8_t>(clampSample(v + 0.5, 0, 255));
    }
    return 1;
}

int imageFile::getPixel(float x, float y, pixelFloat& p) {
    if (pixelType != PIXEL_FLOAT) return 1;
    Bilinear b(*this, x, y);
    auto at = [this](int px, int py, int c) {
        float f;
        std::memcpy(&f, getScanLineAddress(px, py, c), 4);
        return f;
    };
    int n = std::min<int>(channels, p.size());
    for (int c = 0; c < n; c++)
        p(c) = b.mix(at(b.ix, b.iy, c), at(b.ix1, b.iy, c), at(b.ix, b.iy1, c), at(b.ix1, b.iy1, c));
    return 1;
}
