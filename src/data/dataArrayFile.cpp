// The "AAC0" array file: a little-endian header with the shape, the value range and
// the world range, then the raw samples.
//
// The reader checks the whole header against the file's size before it touches the
// array, so a damaged or hostile file fails the load and leaves the shape as it was.
#include "data/dataArray.h"

#include <bit>
#include <cstring>
#include <fstream>

#include "support/engineHooks.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/resourceCopy.h"
#include "variables/variableLinks.h"

namespace {

// The name is informational (the array is named after its path); longer ones mean a
// damaged header.
constexpr int maxNameLength = 1023;

uint32_t fromLittle(unsigned char const* b) {
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

bool readBytes(std::istream& in, void* to, std::streamsize n) {
    in.read(static_cast<char*>(to), n);
    return in.gcount() == n;
}

bool readLE32(std::istream& in, uint32_t& v) {
    unsigned char b[4];
    if (!readBytes(in, b, 4)) return false;
    v = fromLittle(b);
    return true;
}

bool readLEFloat(std::istream& in, float& v) {
    uint32_t bits;
    if (!readLE32(in, bits)) return false;
    v = std::bit_cast<float>(bits);
    return true;
}

void writeLE32(std::ostream& out, uint32_t v) {
    char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                 static_cast<char>(v >> 24)};
    out.write(b, 4);
}

void writeLEFloat(std::ostream& out, float v) {
    writeLE32(out, std::bit_cast<uint32_t>(v));
}

// Samples are stored little-endian; a big-endian host turns them around in place.
void floatsFromLittle(float* data, int n) {
    if constexpr (std::endian::native == std::endian::big) {
        auto* b = reinterpret_cast<unsigned char*>(data);
        for (int i = 0; i < n; i++)
            data[i] = std::bit_cast<float>(fromLittle(b + 4 * static_cast<size_t>(i)));
    } else {
        (void)data;
        (void)n;
    }
}

// The header as read, checked before any of it is applied.
struct Header {
    int dims = 0, chans = 0, code = 0;
    float minimum = 0.0f, span = 0.0f;
    int res[3] = {1, 1, 1};
    float spaceMin[3] = {0.0f, 0.0f, 0.0f};
    float toIndexMult[3] = {1.0f, 1.0f, 1.0f};
    int64_t count = 0; // stored values
};

// Reads the header after the magic; an empty string means it is sound.
char const* readHeader(std::istream& in, int64_t fileEnd, Header& h) {
    unsigned char b[3];
    if (!readBytes(in, b, 2)) return "truncated header";
    int nameLength = b[0] | b[1] << 8;
    if (nameLength > maxNameLength) return "name too long";
    char name[maxNameLength];
    if (nameLength > 0 && !readBytes(in, name, nameLength)) return "truncated name";
    if (!readBytes(in, b, 3)) return "truncated header";
    h.dims = b[0];
    h.chans = b[1];
    h.code = b[2];
    if (h.dims < 1 || h.dims > 3) return "bad dimension count";
    if (h.chans < 1 || h.chans > 4) return "bad channel count";
    if (h.code != 3 && h.code != 0) return "unknown storage code";
    if (!readLEFloat(in, h.minimum) || !readLEFloat(in, h.span)) return "truncated header";
    for (int d = 0; d < h.dims; d++) {
        uint32_t r;
        if (!readLE32(in, r) || !readLEFloat(in, h.spaceMin[d]) || !readLEFloat(in, h.toIndexMult[d]))
            return "truncated header";
        h.res[d] = static_cast<int32_t>(r);
        if (h.res[d] < 1) return "bad resolution";
    }
    int64_t remaining = fileEnd - static_cast<int64_t>(in.tellg());
    int64_t size = h.code == 3 ? 1 : 4;
    // Grow the count one factor at a time, never past what the file can hold.
    int64_t bytes = h.chans * size;
    for (int d = 0; d < h.dims; d++) {
        if (h.res[d] > remaining / bytes) return "samples run past the end of the file";
        bytes *= h.res[d];
    }
    if (bytes > INT32_MAX) return "too many samples";
    h.count = bytes / size;
    return "";
}

} // namespace

int CdataArray::load(char const* filePath) {
    Cstring file(filePath ? filePath : ""); // the path may be our own name
    setName(file);
    char const* path = file.c_str();
    if (!path[0]) {
        VTRACE(2, "file load failed!!!");
        return 1;
    }
    // An array of the resource copy that cannot be read is copied again and read once more.
    int result = 1;
    loadRenewingCopy([&] {
        std::ifstream in;
        if (!file_open(in, path, 0)) return (result = 1) == 0;
        char magic[4];
        if (readBytes(in, magic, 4) && std::memcmp(magic, "VOXL", 4) == 0) {
            file_close(in);
            result = loadVoxelFile(*this, path);
        } else {
            in.clear();
            in.seekg(0, std::ios::beg);
            result = load(in, path);
            file_close(in);
        }
        return result == 0;
    });
    return result;
}

int CdataArray::load(std::istream& in, char const* name) {
    std::streamoff start = in.tellg();
    char magic[4];
    if (start < 0 || !readBytes(in, magic, 4) || std::memcmp(magic, "AAC0", 4) != 0) return 1;
    in.seekg(0, std::ios::end);
    int64_t fileEnd = static_cast<int64_t>(in.tellg()); // the header checks against the end
    in.seekg(start + 4, std::ios::beg);

    Header h;
    char const* problem = readHeader(in, fileEnd, h);
    if (problem[0]) {
        VTRACE(1, "array file " << name << ": " << problem);
        return 1;
    }

    dims = static_cast<short>(h.dims);
    chans = static_cast<short>(h.chans);
    dataType = static_cast<short>(4 - h.code);
    setChanFormatString();
    valRemp[0] = h.minimum;
    valRemp[1] = h.minimum + h.span;
    for (int d = 0; d < 3; d++) {
        res[d] = h.res[d];
        if (d < h.dims) {
            spaceMin[d] = h.spaceMin[d];
            toIndexMult[d] = h.toIndexMult[d];
            spaceMax[d] = (spaceMin[d] * toIndexMult[d] + res[d] - 1) / toIndexMult[d];
            // The fixed-point lookups must see the range just read, not the old one.
            refreshFixedForms(d);
        }
        resMinus1[d] = static_cast<float>(res[d] - 1);
    }
    VTRACE(2, "it has " << dims << " dimensions");
    for (int d = 0; d < dims; d++)
        VTRACE(2, res[d] << " rmin " << spaceMin[d] << " toind " << toIndexMult[d]);

    // The file brings its own buffer; an old one (ours or lent) is let go first.
    if (!stolen && mem) mem->clearPointer();
    stolen = 0;
    byteData = nullptr;
    floatData = nullptr;
    allocData();
    char* buffer = byteData ? reinterpret_cast<char*>(byteData) : reinterpret_cast<char*>(floatData);
    if (!buffer || numElements != h.count ||
        !readBytes(in, buffer, static_cast<std::streamsize>(numElements) * dataType)) {
        VTRACE(1, "array file " << name << ": samples could not be read");
        clearDataArray();
        return 1;
    }
    if (floatData) floatsFromLittle(floatData, numElements);
    return 0;
}

int CdataArray::save(char const* path) {
    VTRACE(2, "SAVING CHAN " << (path ? path : ""));
    if (dataType != 1 && dataType != 4) {
        setExitError("no short", 1);
        return 1;
    }
    char const* samples =
        dataType == 1 ? reinterpret_cast<char const*>(byteData) : reinterpret_cast<char const*>(floatData);
    if (numElements > 0 && !samples) {
        VTRACE(2, "file write failed!!! (no samples)");
        return 1;
    }
    std::ofstream out;
    backupWrite = 1; // the old file stays until the new one is complete
    if (!path || !path[0] || !file_open(out, Cstring(path), 0)) {
        backupWrite = 0;
        VTRACE(2, "file write failed!!!");
        return 1;
    }
    int nameLength =
        static_cast<int>(name.size()) > maxNameLength ? maxNameLength : static_cast<int>(name.size());
    out.write("AAC0", 4);
    char header[5] = {static_cast<char>(nameLength), static_cast<char>(nameLength >> 8)};
    out.write(header, 2);
    out.write(name.c_str(), nameLength);
    int dimCount = dims < 0 ? 0 : dims > 3 ? 3 : dims;
    header[0] = static_cast<char>(dimCount);
    header[1] = static_cast<char>(chans);
    header[2] = static_cast<char>(4 - dataType);
    out.write(header, 3);
    writeLEFloat(out, valRemp[0]);
    writeLEFloat(out, valRemp[1] - valRemp[0]);
    for (int d = 0; d < dimCount; d++) {
        writeLE32(out, static_cast<uint32_t>(res[d]));
        writeLEFloat(out, spaceMin[d]);
        writeLEFloat(out, toIndexMult[d]);
    }
    if (dataType == 4 && std::endian::native == std::endian::big) {
        for (int i = 0; i < numElements; i++)
            writeLEFloat(out, floatData[i]);
    } else if (numElements > 0) {
        out.write(samples, static_cast<std::streamsize>(numElements) * dataType);
    }
    bool written = out.good();
    file_close(out);
    if (!written || out.fail()) {
        VTRACE(2, "file write failed!!!");
        return 1;
    }
    return 0;
}

// ---- big-endian stream readers ----

int readULong(std::istream& in) {
    unsigned char b[4];
    if (!readBytes(in, b, 4)) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                                static_cast<uint32_t>(b[2]) << 8 | b[3]);
}

int readUShort(std::istream& in) {
    unsigned char b[2];
    if (!readBytes(in, b, 2)) return 0;
    return b[0] << 8 | b[1];
}

int readShort(std::istream& in) {
    return static_cast<int16_t>(readUShort(in));
}

int readByte(std::istream& in) {
    unsigned char b;
    return readBytes(in, &b, 1) ? b : 0;
}
