// Byte-data editing: channel factors, canvas size, channel layouts, and the image
// operations (copy to floats, paste, unpremultiply, constant channels).
#include "data/dataArray.h"

#include <cstring>
#include <vector>

#include "support/cerr.h"
#include "variables/variableLinks.h"

int CdataArray::mult(float const* factors) {
    if (!byteData) {
        setExitError("CdataArray::mult not supported for floats", 1);
        return 1;
    }
    if (chans < 1) return 0;
    // Channels past the fourth have no factor and keep their values.
    std::vector<uint16_t> m(static_cast<size_t>(chans), 256);
    for (int c = 0; c < chans && c < 4; c++) {
        float fixed = factors[c] * 256.0f + 0.5f;
        // Saturate instead of converting an out-of-range float.
        m[c] = !(fixed > 0.0f) ? 0 : fixed >= 65535.0f ? 65535 : static_cast<uint16_t>(fixed);
    }
    int c = 0;
    for (int i = 0; i < numElements; i++) {
        unsigned v = static_cast<unsigned>(byteData[i]) * m[c];
        byteData[i] = v >= 65536 ? 255 : static_cast<unsigned char>(v >> 8);
        if (++c == chans) c = 0;
    }
    return 0;
}

int CdataArray::newCanvasSize(int x, int y, int z) {
    if (!byteData) return 0;
    if (x < 1 || y < 1 || z < 1) {
        VTRACE(1, "newCanvasSize: bad size " << x << "x" << y << "x" << z);
        return 1;
    }
    int old[3] = {res[0], res[1], res[2]};
    unsigned char* oldData = byteData;
    bool ownedOld = !stolen; // a lent buffer goes back to its owner untouched
    letDataBeStolen();
    stolen = 0;
    res[0] = x;
    res[1] = y;
    res[2] = z;
    dims = static_cast<short>(1 + (y >= 2) + (z >= 2));
    // Lookups clamp by resMinus1; a stale one would index past a smaller grid.
    for (int d = 0; d < 3; d++)
        resMinus1[d] = static_cast<float>(res[d] - 1);
    allocData();
    if (byteData) {
        int w = (old[0] < x ? old[0] : x) * chans;
        for (int k = 0; k < old[2] && k < z; k++)
            for (int j = 0; j < old[1] && j < y; j++)
                std::memcpy(byteData + (static_cast<size_t>(k) * y + j) * x * chans,
                            oldData + (static_cast<size_t>(k) * old[1] + j) * old[0] * chans, w);
    }
    if (ownedOld) delete[] oldData;
    return 0;
}

namespace {
// Channel sources besides an old channel; -1 means not found yet.
enum { SOURCE_ZERO = -10, SOURCE_WHITE = -11 };

int lastChannelWith(Cstring const& format, char letter) {
    for (int i = static_cast<int>(format.size()) - 1; i >= 0; i--)
        if (format.c_str()[i] == letter) return i;
    return -1;
}
} // namespace

int CdataArray::reformat(char const* format) {
    if (!byteData) {
        setExitError("** ERROR! reformat byteData=0", 1);
        return 1;
    }
    if (chanFormat.size() == 0) {
        VTRACE(2, "** ERROR! bad input chans");
        return 1;
    }
    int newChans = static_cast<int>(std::strlen(format));
    if (newChans < 1 || newChans > 4) {
        VTRACE(2, "** ERROR! bad output chans " << format);
        return 1;
    }
    if (chanFormat == format) return 0;

    Cstring oldFormat = chanFormat;
    int oldChans = chans;
    unsigned char* oldData = byteData;
    bool relaid = newChans != oldChans;
    bool ownedOld = !stolen;
    if (relaid) {
        letDataBeStolen();
        stolen = 0;
        init(res[0], res[1], res[2], newChans, 1);
        if (!byteData) {
            if (ownedOld) delete[] oldData;
            return 1;
        }
    }

    int source[4];
    for (int c = 0; c < newChans; c++) {
        char letter = format[c];
        int s = lastChannelWith(oldFormat, letter);
        if (s == -1 && letter == '0') s = SOURCE_ZERO;
        if (s == -1 && letter == '1') s = SOURCE_WHITE;
        if (s == -1 && (letter == 'b' || letter == 'g')) s = lastChannelWith(oldFormat, 'r');
        if (s == -1) s = lastChannelWith(oldFormat, 'a');
        if (s == -1) {
            VTRACE(2, "WARNING couldn't find matching channel for " << letter << " set to white");
            s = SOURCE_WHITE;
        }
        source[c] = s;
    }

    // Every row of every slice, so a deeper array keeps all of its data.
    int width = res[0];
    int rowCount = res[1] * res[2];
    std::vector<unsigned char> row(static_cast<size_t>(width) * oldChans);
    for (int r = 0; r < rowCount; r++) {
        std::memcpy(row.data(), oldData + static_cast<size_t>(r) * width * oldChans, row.size());
        unsigned char* out = byteData + static_cast<size_t>(r) * width * newChans;
        for (int x = 0; x < width; x++) {
            unsigned char const* in = row.data() + static_cast<size_t>(x) * oldChans;
            for (int c = 0; c < newChans; c++)
                *out++ = source[c] == SOURCE_ZERO ? 0 : source[c] == SOURCE_WHITE ? 255 : in[source[c]];
        }
    }
    if (relaid && ownedOld) delete[] oldData;
    chanFormat = format;
    return 0;
}

void CdataImage::copyToFloats() {
    if (!byteData) return;
    unsigned char* bytes = byteData;
    int n = numElements;
    bool ownedOld = !stolen;
    letDataBeStolen();
    stolen = 0;
    dataType = 4;
    allocData();
    if (floatData)
        for (int i = 0; i < n && i < numElements; i++)
            floatData[i] = bytes[i] * (1.0f / 255.0f);
    if (ownedOld) delete[] bytes;
}

void CdataImage::copy(CdataImage* src, int x0, int y0) {
    if (!src || !byteData || !src->byteData || src->chans != chans) return;
    if (x0 < 0 || y0 < 0 || x0 >= res[0] || y0 >= res[1]) return;
    int w = src->res[0] < res[0] - x0 ? src->res[0] : res[0] - x0;
    int h = src->res[1] < res[1] - y0 ? src->res[1] : res[1] - y0;
    VTRACE(2, "copying " << w << "x" << h);
    for (int j = 0; j < h; j++)
        std::memcpy(byteData + (static_cast<size_t>(y0 + j) * res[0] + x0) * chans,
                    src->byteData + static_cast<size_t>(j) * src->res[0] * chans,
                    static_cast<size_t>(w) * chans);
    VTRACE(2, "endcopy");
}

void CdataImage::unpremult() {
    if (!byteData || chans != 4) return;
    for (int i = 0; i + 3 < numElements; i += 4) {
        unsigned char a = byteData[i + 3];
        if (a == 0) continue;
        float k = 255.0f * (1.0f / a);
        for (int c = 0; c < 3; c++) {
            float v = byteData[i + c] * k;
            byteData[i + c] = v >= 255.0f ? 255 : static_cast<unsigned char>(v);
        }
    }
}

void CdataImage::setChannelValue(int c, float v) {
    if (c < 0 || c >= chans) return;
    int pixels = res[0] * res[1];
    if (floatData) {
        for (int i = 0; i < pixels; i++)
            floatData[static_cast<size_t>(i) * chans + c] = v;
    } else if (byteData) {
        // Values between 0 and 1 take their share of 255.
        float b = v <= 0.0f ? 0.0f : v >= 1.0f ? 255.0f : v * 255.0f + 0.5f;
        if (!(b >= 0.0f)) b = 0.0f;
        for (int i = 0; i < pixels; i++)
            byteData[static_cast<size_t>(i) * chans + c] = static_cast<unsigned char>(b);
    }
}
