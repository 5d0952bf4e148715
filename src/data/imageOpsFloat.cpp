// The whole-image operations of imageFile that go through float pixels, so they work on
// every pixel type: resampling, compositing, displacement, wrapped sampling and the small
// rectangle helpers.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "data/imageIO.h"
#include "data/imageOps.h"
#include "support/cerr.h"

namespace {

// The box-filter weights of one axis: destination index i covers source indices
// first[i] .. first[i] + count[i] - 1 with the weights from weights[offset[i]].
struct BoxAxis {
    std::vector<int> first, count, offset;
    std::vector<float> weights;

    BoxAxis(int oldSize, int newSize) {
        double scale = double(oldSize) / newSize;
        for (int i = 0; i < newSize; i++) {
            double p0 = i * scale, p1 = (i + 1) * scale;
            int s = std::max(0, static_cast<int>(p0));
            int e = std::min(oldSize - 1, static_cast<int>(p1 - 0.0001));
            e = std::max(e, s);
            first.push_back(s);
            count.push_back(e - s + 1);
            offset.push_back(static_cast<int>(weights.size()));
            for (int j = s; j <= e; j++) {
                double w = j == s ? std::floor(p0 + 1) - p0 : 1.0;
                if (j == e) w += p1 - std::ceil(p1);
                weights.push_back(static_cast<float>(w / scale));
            }
        }
    }
};

float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// A one-channel pixel read into four floats repeats its value in the other three.
void replicateSingle(imageFile const& im, pixelFloat& p) {
    if (im.channels == 1)
        for (int c = 1; c < 4; c++)
            p(c) = p(0);
}

// floor(v) wrapped into 0 .. size - 1, and the fraction above floor(v); a value that is not
// finite reads as 0.
int wrapIndex(float v, int size, float& fraction) {
    if (!std::isfinite(v)) {
        fraction = 0.0f;
        return 0;
    }
    double whole = std::floor(double(v));
    fraction = static_cast<float>(double(v) - whole);
    double m = std::fmod(whole, double(size));
    if (m < 0) m += size;
    int i = static_cast<int>(m);
    return i < size ? i : 0;
}

} // namespace

int compMethodCode(char const* word) {
    static char const* const names[] = {"replace",  "over", "over_color_only", "add",
                                        "subtract", "mult", "maskblend"};
    for (int i = 0; word && i < 7; i++)
        if (std::strcmp(word, names[i]) == 0) return i;
    return -1;
}

int imageFile::resize(imageFile* source, int newWidth, int newHeight) {
    if (source == nullptr || source == this || !holdsWholeImage(*source)) return 1;
    if (newWidth < 1 || newHeight < 1 || newWidth > 65535 || newHeight > 65535) return 1;
    stolen = false; // sized here: a borrowed block is let go, not written past
    if (!init(static_cast<uint16_t>(newWidth), static_cast<uint16_t>(newHeight), source->channels,
              static_cast<uint16_t>(source->pixelType), 0, 1) ||
        !holdsWholeImage(*this))
        return 1;
    BoxAxis ax(source->width, width), ay(source->height, height);
    pixelFloat in(4), sum(4);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            sum.setAll(0.0f);
            for (int j = 0; j < ay.count[y]; j++) {
                float wy = ay.weights[ay.offset[y] + j];
                for (int k = 0; k < ax.count[x]; k++) {
                    float w = wy * ax.weights[ax.offset[x] + k];
                    source->getPixel(ax.first[x] + k, ay.first[y] + j, in);
                    for (int c = 0; c < 4; c++)
                        sum(c) += in(c)*w;
                }
            }
            setPixel(x, y, sum);
        }
    }
    return 0;
}

int imageFile::comp(imageFile* bottom, imageFile* top, imageFile* mask, short chans, short method, short,
                    short, short xOffset, short yOffset, float mult, float add) {
    if (method == COMP_MASKBLEND && mask == nullptr) {
        setExitError("no mask in comp", 1);
        return 1;
    }
    if (method != COMP_REPLACE && method != COMP_OVER && method != COMP_ADD && method != COMP_MULT &&
        method != COMP_MASKBLEND) {
        setExitError("comp op not supported", 1);
        return 1;
    }
    if (bottom == nullptr || top == nullptr || !holdsWholeImage(*this) || !holdsWholeImage(*bottom) ||
        !holdsWholeImage(*top))
        return 1;
    if (method == COMP_MASKBLEND && !holdsWholeImage(*mask)) return 1;
    int n = std::min<int>(chans, channels);
    // The top layer's extent, clipped to every image read or written at (x, y).
    int right = std::min<int>({top->width + xOffset, width, bottom->width});
    int upper = std::min<int>({top->height + yOffset, height, bottom->height});
    if (method == COMP_MASKBLEND) {
        right = std::min<int>(right, mask->width);
        upper = std::min<int>(upper, mask->height);
    }
    int x0 = std::max<int>(xOffset, 0), y0 = std::max<int>(yOffset, 0);
    pixelFloat t(4), b(4), m(4);
    for (int y = y0; y < upper; y++) {
        for (int x = x0; x < right; x++) {
            t.setAll(0.0f);
            b.setAll(0.0f);
            top->getPixel(x - xOffset, y - yOffset, t);
            bottom->getPixel(x, y, b);
            if (method == COMP_MULT) replicateSingle(*top, t);
            if (method == COMP_MASKBLEND) {
                m.setAll(0.0f);
                mask->getPixel(x, y, m);
                replicateSingle(*mask, m);
            }
            for (int c = 0; c < n && c < 4; c++) {
                switch (method) {
                case COMP_REPLACE:
                    b(c) = t(c);
                    break;
                case COMP_OVER:
                    b(c) = b(c) + add + (t(c) - b(c)) * (t(3) * mult);
                    break;
                case COMP_ADD:
                    b(c) = clamp01(b(c) + add + t(c) * mult);
                    break;
                case COMP_MULT:
                    b(c) = b(c) * t(c);
                    break;
                default: // COMP_MASKBLEND
                    b(c) = b(c) + add + (t(c) - b(c)) * (m(c) * mult);
                    break;
                }
            }
            setPixel(x, y, b);
        }
    }
    return 0;
}

int imageFile::displace(imageFile* vectors, imageFile* source, float contrast, float mult, float add,
                        float scaleX, float scaleY, float offsetX, float offsetY, float angle,
                        float bluePostAddMult) {
    if (vectors == nullptr || source == nullptr) return 1;
    if (vectors->width != width || vectors->height != height) {
        setExitError("displace bad res", 1);
        return 1;
    }
    if (!holdsWholeImage(*this) || !holdsWholeImage(*vectors) || !holdsWholeImage(*source)) return 1;
    float s = std::sin(angle), c = std::cos(angle);
    pixelFloat v(4), g(4), e(4);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            v.setAll(0.0f);
            vectors->getPixel(x, y, v);
            if (v(2) == 0.0f) continue;
            float u = (v(0) * c - v(1) * s) * scaleX + offsetX;
            float w = (v(1) * c + v(0) * s) * scaleY + offsetY;
            g.setAll(0.0f);
            source->getPixelWrap(u * source->width, w * source->height, g);
            getPixel(x, y, e);
            float k = (v(2) - 0.5f) * bluePostAddMult + add + 0.5f;
            for (int ch = 0; ch < channels && ch < 4; ch++)
                g(ch) = clamp01(g(ch) * mult + (e(ch) - 0.5f) * contrast + k);
            if (x == 128 && y == 128)
                VTRACE(1, "gw=" << source->width << " gh=" << source->height << " ep=" << e(0)
                                << " gc=" << g(0) << "cev:" << v(2) << " mult=" << mult << " add=" << add
                                << " bpa:" << bluePostAddMult);
            setPixel(x, y, g);
        }
    }
    return 0;
}

int imageFile::getPixelWrap(float x, float y, pixelFloat& p) {
    if (!holdsWholeImage(*this)) return 1;
    float fx, fy;
    int ix = wrapIndex(x + 4.0f * width, width, fx);
    int iy = wrapIndex(y + 4.0f * height, height, fy);
    int ix1 = ix + 1 < width ? ix + 1 : 0;
    int iy1 = iy + 1 < height ? iy + 1 : 0;
    int n = std::min<int>(channels, p.size());
    auto sample = [this](int px, int py, int c) -> float {
        unsigned char const* a = getScanLineAddress(px, py, c);
        if (pixelType == PIXEL_8BIT) return *a;
        float f;
        std::memcpy(&f, a, 4);
        return f;
    };
    for (int c = 0; c < n; c++) {
        if (pixelType == PIXEL_FIXED) {
            int16_t raw;
            std::memcpy(&raw, getScanLineAddress(ix, iy, c), 2);
            p(c) = raw / 8192.0f;
            continue;
        }
        if (pixelType != PIXEL_8BIT && pixelType != PIXEL_FLOAT) continue;
        float p00 = sample(ix, iy, c), p10 = sample(ix1, iy, c);
        float p01 = sample(ix, iy1, c), p11 = sample(ix1, iy1, c);
        float upper = p00 + (p10 - p00) * fx, lower = p01 + (p11 - p01) * fx;
        float v = upper + (lower - upper) * fy;
        p(c) = pixelType == PIXEL_8BIT ? v / 255.0f : v;
    }
    return 1;
}

void imageFile::rectFill(int x0, int y0, int x1, int y1, float r, float g, float b, float a) {
    if (!holdsWholeImage(*this)) return;
    pixelFloat p(4);
    p.assign(r, g, b, a);
    int xe = std::min<int>(x1, width - 1), ye = std::min<int>(y1, height - 1);
    for (int y = std::max(y0, 0); y <= ye; y++)
        for (int x = std::max(x0, 0); x <= xe; x++)
            setPixel(x, y, p);
}

void imageFile::unpremult() {
    if (channels != 4 || !holdsWholeImage(*this)) return;
    VTRACE(2, "unpremulting image");
    pixelFloat p(4);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            getPixel(x, y, p);
            if (p(3) == 0.0f) {
                p.assign(1.0f, 1.0f, 1.0f, 0.0f);
            } else {
                for (int c = 0; c < 3; c++)
                    p(c) /= p(3);
            }
            setPixel(x, y, p);
        }
    }
}

void imageFile::copy(imageFile* source, int x, int y) {
    if (source == nullptr || source == this || !holdsWholeImage(*this) || !holdsWholeImage(*source)) return;
    pixelFloat p(4);
    int sx0 = std::max(0, -x), sy0 = std::max(0, -y);
    int sx1 = std::min<int>(source->width, width - x), sy1 = std::min<int>(source->height, height - y);
    for (int sy = sy0; sy < sy1; sy++) {
        for (int sx = sx0; sx < sx1; sx++) {
            p.setAll(0.0f);
            source->getPixel(sx, sy, p);
            setPixel(sx + x, sy + y, p);
        }
    }
}
