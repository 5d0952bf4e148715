#include "data/tiffWriter.h"

#include <algorithm>
#include <vector>

#include "data/imageIO.h"
#include "support/cerr.h"
#include "support/fileIO.h"

void imageFile::writeTIF_IFD(std::ostream& out, std::streamoff& entryOffset, uint16_t tag, uint16_t type,
                             unsigned long count, unsigned long value) {
    out.seekp(entryOffset);
    entryOffset += 12;
    writeShort(out, tag);
    writeShort(out, type);
    writeLong(out, count);
    if (type == TIFF_SHORT && count == 1) {
        writeShort(out, value);
        writeShort(out, 0);
    } else if (type == TIFF_BYTE && count == 1) {
        writeByte(out, value);
        writeByte(out, 0);
        writeShort(out, 0);
    } else {
        writeLong(out, value);
    }
}

int imageFile::saveTIFF(char const* path, int compression) {
    int started = startSaveTIFF(path, compression);
    int ended = tiffOut.is_open() ? endSaveTIFF() : 0;
    return started && ended ? 1 : 0;
}

int imageFile::startSaveTIFF(char const* path, int compression) {
    size_t rowBytes = stride();
    // Offsets and counts are 32-bit in the file.
    if (!path || !scanLines || !width || !height ||
        rowBytes * height + 200 + 10 * size_t(height) > 0xFFFFFFFFu)
        return 0;
    if (tiffOut.is_open()) tiffOut.close();
    tiffOut.clear();
    if (!file_open(tiffOut, Cstring(path), 0)) return 0;
    std::ostream& out = tiffOut;
    if (compression != 0) VTRACE(1, "CAN'T WRITE COMPRESSED TIFFS! - writing uncompressed");
    writeLong(out, 0x4D4D002A);
    writeLong(out, 0xFFFFFFFF);

    bool wholeImage = rowCount == height;
    std::vector<char> zeroRow(wholeImage ? 0 : rowBytes, 0);
    for (int y = 0; y < height; y++) {
        writeOffset[y] = static_cast<uint64_t>(static_cast<std::streamoff>(out.tellp()));
        out.write(wholeImage ? reinterpret_cast<char*>(scanLines[y]) : zeroRow.data(),
                  static_cast<std::streamsize>(rowBytes));
    }

    std::streamoff directory = out.tellp();
    out.seekp(4);
    writeLong(out, static_cast<unsigned long>(directory));
    out.seekp(directory);
    writeShort(out, tiffEntryCount);
    for (int i = 0; i < tiffEntryCount; i++)
        out.write("000011112222", 12);
    writeLong(out, 0);
    std::streamoff values = out.tellp();
    std::streamoff entry = directory + 2;

    unsigned bits = 8u * bytesPerChannel;
    auto entryWithValues = [&](uint16_t tag, uint16_t type, unsigned long count, auto valueAt) {
        unsigned size = type == TIFF_SHORT ? 2 : 4;
        if (count * size <= 4) {
            // Two SHORTs fill the value field as one big-endian LONG would.
            unsigned long packed = count == 1 ? valueAt(0) : (valueAt(0) << 16) | valueAt(1);
            writeTIF_IFD(out, entry, tag, type, count, packed);
            return;
        }
        writeTIF_IFD(out, entry, tag, type, count, static_cast<unsigned long>(values));
        out.seekp(values);
        for (unsigned long i = 0; i < count; i++)
            size == 2 ? writeShort(out, valueAt(i)) : writeLong(out, valueAt(i));
        values += static_cast<std::streamoff>(count * size);
    };
    writeTIF_IFD(out, entry, 256, TIFF_SHORT, 1, width);
    writeTIF_IFD(out, entry, 257, TIFF_SHORT, 1, height);
    entryWithValues(258, TIFF_SHORT, channels, [&](unsigned long) -> unsigned long { return bits; });
    writeTIF_IFD(out, entry, 259, TIFF_SHORT, 1, 1);
    writeTIF_IFD(out, entry, 262, TIFF_SHORT, 1, channels < 3 ? 1 : 2);
    entryWithValues(273, TIFF_LONG, height, [&](unsigned long y) -> unsigned long {
        return static_cast<unsigned long>(writeOffset[y]);
    });
    writeTIF_IFD(out, entry, 274, TIFF_SHORT, 1, 1);
    writeTIF_IFD(out, entry, 277, TIFF_SHORT, 1, channels);
    writeTIF_IFD(out, entry, 278, TIFF_SHORT, 1, 1);
    entryWithValues(279, TIFF_LONG, height, [&](unsigned long) -> unsigned long { return rowBytes; });
    writeTIF_IFD(out, entry, 284, TIFF_SHORT, 1, 1);
    writeTIF_IFD(out, entry, 338, TIFF_SHORT, 1, 1);
    return out.good() ? 1 : 0;
}

void imageFile::writeBuffer(int lines) {
    if (!tiffOut.is_open() || !scanLines || bufferLine >= height) return;
    int rows = std::min({lines, static_cast<int>(height) - bufferLine, static_cast<int>(rowCount)});
    tiffOut.seekp(static_cast<std::streamoff>(tiffRowsStart + size_t(bufferLine) * stride()));
    for (int i = 0; i < rows; i++)
        tiffOut.write(reinterpret_cast<char*>(scanLines[i]), static_cast<std::streamsize>(stride()));
}

int imageFile::endSaveTIFF() {
    bool good = tiffOut.good();
    file_close(tiffOut);
    return good && !tiffOut.fail() ? 1 : 0;
}
