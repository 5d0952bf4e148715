#include "data/sgiLoader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "data/imageIO.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/memoryIO.h"

int RLEdecode(unsigned char const* in, int inLength, unsigned char* out, int stride, int step, int rowWidth,
              int outCount) {
    if (step < 1) return -1;
    int pos = 0, at = 0;
    while (at < inLength) {
        int control = in[at++];
        int n = control & 0x7F;
        if (n == 0) break;
        bool literal = control & 0x80;
        if (pos + n > rowWidth || (literal ? at + n : at + 1) > inLength) return -1;
        for (int i = 0; i < n; i++, pos++) {
            unsigned char value = literal ? in[at + i] : in[at];
            if (pos % step == 0 && pos / step < outCount) out[size_t(pos / step) * stride] = value;
        }
        at += literal ? n : 1;
    }
    return pos;
}

int RLAencode(unsigned char const* row, unsigned char* out, int count) {
    auto runStarts = [&](int j) { return count - j >= 3 && row[j] == row[j + 1] && row[j] == row[j + 2]; };
    int o = 0, i = 0;
    while (i < count) {
        int n = 1;
        if (runStarts(i)) {
            n = 3;
            while (n < 127 && i + n < count && row[i + n] == row[i])
                n++;
            out[o++] = static_cast<unsigned char>(n);
            out[o++] = row[i];
        } else {
            while (n < 127 && i + n < count && !runStarts(i + n))
                n++;
            out[o++] = static_cast<unsigned char>(0x80 | n);
            std::memcpy(out + o, row + i, n);
            o += n;
        }
        i += n;
    }
    out[o++] = 0;
    return o;
}

namespace {
struct SgiHeader {
    int storage, bytesPerChannel, xsize, ysize, zsize;
};

bool validHeader(SgiHeader const& h) {
    return (h.storage == 0 || h.storage == 1) && h.bytesPerChannel == 1 && h.xsize >= 1 && h.ysize >= 1 &&
           h.zsize >= 1 && h.zsize <= 4;
}
} // namespace

int imageFile::readSGI(CmemoryIO& in, bool loadPixels) {
    long long fileStart = in.tellg() - 2;
    long long fileEnd = in.tellg() + in.remaining();
    SgiHeader h;
    h.storage = in.readByte();
    h.bytesPerChannel = in.readByte();
    in.readUShort(); // dimension
    h.xsize = in.readShort();
    h.ysize = in.readShort();
    h.zsize = in.readShort();
    in.seekOffset(12 + 80 + 4 + 404); // min, max, reserved, name, colour map, padding
    if (fileStart < 0 || in.failed() || !validHeader(h)) {
        VTRACE(1, "sgi: bad header");
        return 0;
    }
    pixelType = PIXEL_8BIT;
    if (h.zsize > static_cast<int16_t>(forcedChannels)) forcedChannels = static_cast<uint16_t>(h.zsize);
    int rx = std::max(1, static_cast<int>(sizeReducerX)), ry = std::max(1, static_cast<int>(sizeReducerY));
    int w = std::min(maxWidth, h.xsize / rx), ht = std::min(maxHeight, h.ysize / ry);
    if (w < 1 || ht < 1) {
        VTRACE(1, "sgi: reduced to nothing");
        return 0;
    }
    int stepX = h.xsize / w, stepY = h.ysize / ht;
    // The file must hold the rows (or their tables) it declares before pixels are made.
    long long tables = fileStart + sgiHeaderSize;
    long long entries = static_cast<long long>(h.ysize) * h.zsize;
    if (loadPixels && tables + entries * (h.storage == 0 ? h.xsize : 8) > fileEnd) {
        VTRACE(1, "sgi: the file is too short for its rows");
        return 0;
    }
    if (!init(w, ht, h.zsize, PIXEL_8BIT, 0, loadPixels ? 1 : 0)) return 0;
    if (!loadPixels) return 1;

    if (h.storage == 0) {
        for (int z = 0; z < h.zsize; z++)
            for (int r = 0; r < height; r++) {
                in.seekg(
                    static_cast<int>(tables + (static_cast<long long>(z) * h.ysize + r * stepY) * h.xsize));
                for (int x = 0; x < width; x++) {
                    scanLines[r][size_t(x) * channels + z] = static_cast<unsigned char>(in.readByte());
                    in.seekOffset(stepX - 1);
                }
            }
        return 1;
    }
    int bufferSize = std::max(2 * h.xsize, sgiMaxEncodedSize(h.xsize));
    std::vector<unsigned char> row(bufferSize);
    int result = 1;
    for (int z = 0; z < h.zsize; z++)
        for (int r = 0; r < height; r++) {
            long long entry = static_cast<long long>(z) * h.ysize + static_cast<long long>(r) * stepY;
            in.seekg(static_cast<int>(tables + entry * 4));
            long long start = in.readULong();
            in.seekg(static_cast<int>(tables + (entries + entry) * 4));
            long long length = in.readULong();
            int decoded = -1;
            if (fileStart + start + length <= fileEnd) {
                if (length > bufferSize) { // longer than any row can encode to: the rest is not ours
                    VTRACE(1, "readlen=" << length << " " << bufferSize);
                    length = bufferSize;
                }
                in.seekg(static_cast<int>(fileStart + start));
                if (in.read(reinterpret_cast<char*>(row.data()), static_cast<int>(length)))
                    decoded = RLEdecode(row.data(), static_cast<int>(length), scanLines[r] + z, channels,
                                        stepX, h.xsize, width);
            }
            if (decoded <= 0) result = 0;
        }
    return result;
}

int imageFile::saveSGI(char const* path) {
    if (!scanLines || pixelType != PIXEL_8BIT || rowCount < height || !width || !height || !channels ||
        width > 32767 || height > 32767) {
        VTRACE(1, "saveSGI: only whole 8-bit images can be saved");
        return 0;
    }
    std::ofstream out;
    if (!path || !file_open(out, Cstring(path), 0)) return 0;
    writeShort(out, sgiMagicNumber);
    writeByte(out, 1); // run-length encoded
    writeByte(out, bytesPerChannel);
    writeShort(out, 3);
    writeShort(out, width);
    writeShort(out, height);
    writeShort(out, channels);
    writeLong(out, 0);
    writeLong(out, (1ul << (8 * bytesPerChannel)) - 1);
    writeLong(out, 0);
    char imageName[80];
    std::memset(imageName, ' ', 79);
    std::memcpy(imageName, "this is my frame", 16);
    imageName[79] = 0;
    out.write(imageName, 80);
    writeLong(out, 0);
    static const char zeros[404] = {};
    out.write(zeros, sizeof zeros);

    size_t entries = size_t(height) * channels;
    std::vector<uint32_t> starts(entries), lengths(entries);
    for (size_t i = 0; i < 2 * entries; i++)
        writeLong(out, 0);
    std::vector<unsigned char> row(width), packed(sgiMaxEncodedSize(width));
    for (int c = 0; c < channels; c++)
        for (int y = 0; y < height; y++) {
            starts[size_t(c) * height + y] = static_cast<uint32_t>(out.tellp());
            for (int x = 0; x < width; x++)
                row[x] = scanLines[y][size_t(x) * channels + c];
            int n = RLAencode(row.data(), packed.data(), width);
            lengths[size_t(c) * height + y] = static_cast<uint32_t>(n);
            out.write(reinterpret_cast<char*>(packed.data()), n);
        }
    out.seekp(sgiHeaderSize);
    for (uint32_t s : starts)
        writeLong(out, s);
    for (uint32_t n : lengths)
        writeLong(out, n);
    bool written = out.good();
    file_close(out);
    return written && !out.fail() ? 1 : 0;
}
