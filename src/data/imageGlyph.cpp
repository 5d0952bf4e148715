// The area-weighted glyph copy of text rendering: a rectangle of a one-channel 8-bit source
// added as coverage to channel 0 of a destination span of any size.
#include <cmath>
#include <vector>

#include "data/imageIO.h"
#include "data/imageOps.h"

void CcorrelateLineC::correlate(int first, int last, float start, float end, int destSize) {
    steps.clear();
    firstSource = first;
    firstDest = 0;
    int count = last - first + 1;
    if (count < 1 || !std::isfinite(start) || !std::isfinite(end)) return;
    float step = (end - start) / static_cast<float>(count);
    float p = start;
    bool started = false;
    for (int i = 0; i < count; i++, p += step) {
        if (p < 0.0f) continue;
        float d = std::floor(p), e = std::floor(p + step);
        if (!started) {
            started = true;
            firstSource = first + i;
            firstDest = static_cast<int>(d);
        }
        if (d >= e) {
            steps.push_back({static_cast<int>(255.0f * step), 0, false});
            continue;
        }
        if (p + step >= static_cast<float>(destSize)) break;
        steps.push_back(
            {static_cast<int>((e - p) * 255.0f), static_cast<int>((p + step - e) * 255.0f), true});
    }
}

void imageFile::copyRectB(imageFile* source, int x0, int y0, int x1, int y1, float fx0, float fy0, float fx1,
                          float fy1) {
    if (source == nullptr || pixelType != PIXEL_8BIT || source->pixelType != PIXEL_8BIT ||
        source->channels != 1)
        return;
    if (!scanLines || !source->scanLines || bufferLine != 0 || source->bufferLine != 0) return;
    for (float f : {fx0, fy0, fx1, fy1})
        if (!std::isfinite(f) || std::fabs(f) > 65536.0f) return;
    CcorrelateLineC columns, rows;
    columns.correlate(x0, x1, fx0, fx1, width);
    rows.correlate(y0, y1, fy0, fy1, height);
    if (columns.steps.empty() || rows.steps.empty()) return;
    size_t span = static_cast<size_t>(std::floor(fx1) - std::floor(fx0) + 1);
    if (span < 2 || span > 65536) return;
    std::vector<uint32_t> accumulators(span + 1, 0);
    int destRow = rows.firstDest;

    // Adds one source row with row weight wy into the accumulators.
    auto accumulate = [&](int sourceRow, int wy) {
        if (wy == 0 || sourceRow < 0 || sourceRow >= source->rowCount) return;
        unsigned char const* row = source->scanLines[sourceRow];
        size_t col = 0;
        int sx = columns.firstSource;
        for (coverageStep const& c : columns.steps) {
            if (col + 1 >= accumulators.size()) break;
            if (sx >= 0 && sx < source->width) {
                uint32_t s = row[sx];
                accumulators[col] += s * static_cast<uint32_t>(wy) * static_cast<uint32_t>(c.weight0);
                accumulators[col + 1] += s * static_cast<uint32_t>(wy) * static_cast<uint32_t>(c.weight1);
            }
            if (c.advance) col++;
            sx++;
        }
    };
    // Adds the accumulators to the next destination row and clears them.
    auto flush = [&] {
        if (destRow >= 0 && destRow < rowCount) {
            unsigned char* out = scanLines[destRow];
            for (size_t i = 0; i < accumulators.size(); i++) {
                long x = columns.firstDest + static_cast<long>(i);
                if (x >= 0 && x < width)
                    out[size_t(x) * channels] =
                        static_cast<uint8_t>(out[size_t(x) * channels] + accumulators[i] / 65025);
            }
        }
        std::fill(accumulators.begin(), accumulators.end(), 0u);
        destRow++;
    };
    int sy = rows.firstSource;
    for (coverageStep const& r : rows.steps) {
        accumulate(sy, r.weight0);
        if (r.weight1 != 0 || r.advance) {
            flush();
            accumulate(sy, r.weight1);
        }
        sy++;
    }
    flush();
}
