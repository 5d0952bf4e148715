// The voxel file's header chunks and its loader. Every count read from a file is checked
// against the bytes the file still holds (and voxelValueLimit) before anything is sized
// by it, so a damaged file fails the read instead of allocating or looping.
#include "data/vb_voxelIO.h"

#include <bit>
#include <cstring>

#include "support/cerr.h"
#include "support/fileIO.h"

int64_t voxelValueLimit = int64_t{1} << 26;

namespace {

bool readBytes(std::istream& in, void* to, std::streamsize n) {
    in.read(static_cast<char*>(to), n);
    return in.gcount() == n;
}

struct LittleReader {
    std::istream& in;
    bool ok = true;
    uint32_t u(int size) {
        unsigned char b[4] = {0, 0, 0, 0};
        if (!ok || !readBytes(in, b, size)) {
            ok = false;
            return 0;
        }
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
               static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    }
    uint8_t u8() { return static_cast<uint8_t>(u(1)); }
    uint16_t u16() { return static_cast<uint16_t>(u(2)); }
    uint32_t u32() { return u(4); }
    float f() { return std::bit_cast<float>(u(4)); }
    void floats(float* to, int n) {
        for (int i = 0; i < n; i++)
            to[i] = f();
    }
};

struct LittleWriter {
    std::ostream& out;
    void u(uint32_t v, int size) {
        char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
        out.write(b, size);
    }
    void u8(uint8_t v) { u(v, 1); }
    void u16(uint16_t v) { u(v, 2); }
    void u32(uint32_t v) { u(v, 4); }
    void f(float v) { u(std::bit_cast<uint32_t>(v), 4); }
    void floats(float const* from, int n) {
        for (int i = 0; i < n; i++)
            f(from[i]);
    }
    void key(char const* k, uint32_t size) {
        out.write(k, 2);
        u32(size);
    }
};

// The fixed payload sizes of the known keys.
constexpr uint32_t sizeMN = 40, sizeOR = 40, sizeCM = 16, sizeSH = 8, sizeLH = 8, sizeTR = 17;

int64_t streamLength(std::istream& in) {
    std::streampos here = in.tellg();
    in.seekg(0, std::ios::end);
    int64_t end = static_cast<int64_t>(in.tellg());
    in.seekg(here);
    return end;
}

} // namespace

// ---- header ----

int CvoxelHeader::setType(char const* name) {
    if (!name || std::strlen(name) != 4) return 1;
    type = name;
    return 0;
}

char const* CvoxelHeader::shapeProblem() const {
    if (channels < 1 || channels > 4) return "channel count outside 1 to 4";
    if (resX < 1 || resY < 1 || resZ < 1) return "resolution below 1";
    if (bucketX < 1 || bucketY < 1 || bucketZ < 1) return "bucket size below 1";
    return "";
}

int CvoxelHeader::writeHeader(std::ostream& out, int& lhPosition) {
    LittleWriter w{out};
    w.key("MN", sizeMN);
    char name[4] = {'U', 'N', 'D', 'F'};
    if (type.size() == 4) std::memcpy(name, type.c_str(), 4);
    out.write(name, 4);
    w.u16(channels);
    w.u16(resX);
    w.u16(resY);
    w.u16(resZ);
    w.floats(boxMin, 3);
    w.floats(boxMax, 3);
    w.u8(bucketX);
    w.u8(bucketY);
    w.u8(bucketZ);
    w.u8(reserved);
    w.key("OR", sizeOR);
    for (float v : {fov, squish, xs, ys})
        w.f(v);
    w.floats(ff, 3);
    w.floats(faceup, 3);
    w.key("CM", sizeCM);
    w.u32(static_cast<uint32_t>(cmReserved));
    w.u32(static_cast<uint32_t>(compressionMode));
    w.f(remapMax);
    w.f(remapMin);
    w.key("LH", sizeLH);
    lhPosition = static_cast<int>(out.tellp());
    w.f(-1000000.0f);
    w.f(1000000.0f);
    out.write("--", 2);
    return out.good() ? 0 : 1;
}

int CvoxelHeader::readHeader(std::istream& in) {
    type = "xxxx";
    int64_t end = streamLength(in);
    LittleReader r{in};
    for (;;) {
        char key[2];
        if (!readBytes(in, key, 2)) return 1; // the file ended before "--"
        if (key[0] == '-' && key[1] == '-') return 0;
        uint32_t size = r.u32();
        int64_t chunkStart = static_cast<int64_t>(in.tellg());
        if (!r.ok || chunkStart < 0 || size > end - chunkStart) return 1;
        uint32_t fixed = 0;
        if (std::memcmp(key, "MN", 2) == 0) {
            fixed = sizeMN;
            char name[5] = {0, 0, 0, 0, 0};
            if (size < fixed || !readBytes(in, name, 4)) return 1;
            setType(name);
            channels = r.u16();
            resX = r.u16();
            resY = r.u16();
            resZ = r.u16();
            r.floats(boxMin, 3);
            r.floats(boxMax, 3);
            bucketX = r.u8();
            bucketY = r.u8();
            bucketZ = r.u8();
            reserved = r.u8();
        } else if (std::memcmp(key, "OR", 2) == 0) {
            fixed = sizeOR;
            if (size < fixed) return 1;
            fov = r.f();
            squish = r.f();
            xs = r.f();
            ys = r.f();
            r.floats(ff, 3);
            r.floats(faceup, 3);
        } else if (std::memcmp(key, "CM", 2) == 0) {
            fixed = sizeCM;
            if (size < fixed) return 1;
            cmReserved = static_cast<int32_t>(r.u32());
            compressionMode = static_cast<int32_t>(r.u32());
            remapMax = r.f();
            remapMin = r.f();
        } else if (std::memcmp(key, "SH", 2) == 0) {
            fixed = sizeSH;
            if (size < fixed) return 1;
            shB = r.f();
            shA = r.f();
        } else if (std::memcmp(key, "LH", 2) == 0) {
            fixed = sizeLH;
            if (size < fixed) return 1;
            lowest = r.f();
            highest = r.f();
        } else if (std::memcmp(key, "TR", 2) == 0) {
            fixed = sizeTR;
            if (size < fixed) return 1;
            trFlag = r.u8();
            trValue = r.u32();
            for (int d = 0; d < 3; d++) {
                trA[d] = r.u16();
                trB[d] = r.u16();
            }
        }
        if (!r.ok) return 1;
        // Unknown keys, and any payload beyond a known key's fields, are skipped by size.
        if (size > fixed) in.seekg(chunkStart + size);
        if (!in.good()) return 1;
    }
}

// ---- loader ----

int CvoxelLoader::open(char const* path) {
    close();
    if (!path || !file_open(file, path, 0)) return 1;
    in = &file;
    return readTable();
}

int CvoxelLoader::open(std::istream& stream) {
    close();
    in = &stream;
    return readTable();
}

int CvoxelLoader::readTable() {
    streamEnd = streamLength(*in);
    char magic[4];
    LittleReader r{*in};
    if (!readBytes(*in, magic, 4) || std::memcmp(magic, "VOXL", 4) != 0) {
        close();
        return 1;
    }
    uint16_t count = r.u16();
    if (!r.ok || static_cast<int64_t>(count) * 4 > streamEnd - 6) {
        close();
        return 1;
    }
    offsets.resize(count);
    for (uint32_t& o : offsets)
        o = r.u32();
    if (!r.ok) {
        close();
        return 1;
    }
    return 0;
}

void CvoxelLoader::close() {
    endBuffer();
    offsets.clear();
    if (file.is_open()) file_close(file);
    in = nullptr;
}

void CvoxelLoader::endBuffer() {
    active = false;
    corners.clear();
    corners.shrink_to_fit();
}

void CvoxelLoader::setMultAdd(float const* m, float const* a) {
    for (int c = 0; c < 4; c++) {
        if (m) mult[c] = m[c];
        if (a) add[c] = a[c];
    }
}

int CvoxelLoader::startBuffer(int index, CvoxelHeader& header) {
    endBuffer();
    if (!in || index < 0 || index >= bufferCount()) return 1;
    uint32_t offset = offsets[static_cast<size_t>(index)];
    if (offset == 666 || offset >= streamEnd) {
        VTRACE(1, "voxel buffer " << index << " was never written");
        return 1;
    }
    in->clear();
    in->seekg(offset);
    if (header.readHeader(*in) != 0) {
        VTRACE(1, "voxel buffer " << index << ": header cut short or malformed");
        return 1;
    }
    char const* problem = header.shapeProblem();
    if (problem[0]) {
        VTRACE(1, "voxel buffer " << index << ": " << problem);
        return 1;
    }
    res[0] = header.resX;
    res[1] = header.resY;
    res[2] = header.resZ;
    bucket[0] = header.bucketX;
    bucket[1] = header.bucketY;
    bucket[2] = header.bucketZ;
    chans = header.channels;
    int64_t cornerCount = chans, bucketCount = chans;
    for (int d = 0; d < 3; d++) {
        buckets[d] = (res[d] + bucket[d] - 1) / bucket[d];
        cornerCount *= buckets[d] + 1;
        bucketCount *= buckets[d];
    }
    int64_t values = static_cast<int64_t>(res[0]) * res[1] * res[2] * chans;
    cornerPos = static_cast<int64_t>(in->tellg());
    // Every bucket channel takes at least its mode byte.
    int64_t left = streamEnd - cornerPos;
    if (values > voxelValueLimit || cornerCount * 2 > left || bucketCount > left - cornerCount * 2) {
        VTRACE(1, "voxel buffer " << index << ": larger than the file or the limit allows");
        return 1;
    }
    corners.resize(static_cast<size_t>(cornerCount));
    if (!readBytes(*in, corners.data(), cornerCount * 2)) return 1;
    if constexpr (std::endian::native == std::endian::big)
        for (uint16_t& c : corners)
            c = static_cast<uint16_t>(c << 8 | c >> 8);
    dataPos = cornerPos + cornerCount * 2;
    lowest = header.lowest;
    highest = header.highest;
    nextBucketRow = 0;
    active = true;
    return 0;
}

int CvoxelLoader::fillBucket(int bx, int by, int bz, CsliceIO& request, int fill) {
    int n[3], origin[3] = {bx * bucket[0], by * bucket[1], bz * bucket[2]};
    int cornerIndex[3] = {bx, by, bz};
    for (int d = 0; d < 3; d++) {
        n[d] = res[d] - origin[d] < bucket[d] ? res[d] - origin[d] : bucket[d];
        if (cornerIndex[d] < 0 || cornerIndex[d] >= buckets[d] || n[d] < 1) return 1;
    }
    int64_t count = static_cast<int64_t>(n[0]) * n[1] * n[2];
    int rowX = buckets[0] + 1, rowY = buckets[1] + 1;
    for (int c = 0; c < chans; c++) {
        uint8_t mode;
        if (!readBytes(*in, &mode, 1)) return 1;
        int64_t bytes = voxelPayloadBytes(mode, count);
        if (bytes < 0) {
            VTRACE(1, "BAD BUCKET");
            return 1;
        }
        if (bytes > streamEnd - static_cast<int64_t>(in->tellg())) return 1;
        payload.resize(static_cast<size_t>(bytes));
        if (bytes > 0 && !readBytes(*in, payload.data(), bytes)) return 1;
        if (!fill) continue;
        float corner[8];
        for (int k = 0; k < 8; k++) {
            int64_t i = bx + (k & 1), j = by + ((k >> 1) & 1), z = bz + ((k >> 2) & 1);
            corner[k] = voxelWiden(corners[static_cast<size_t>(((z * rowY + j) * rowX + i) * chans + c)]);
        }
        blend.setup(n, corner);
        CbucketTarget target;
        target.planes = request.slices;
        target.planeStride = request.chans;
        target.channel = c;
        std::memcpy(target.start, request.start, sizeof(target.start));
        std::memcpy(target.size, request.size, sizeof(target.size));
        std::memcpy(target.origin, origin, sizeof(origin));
        target.mult = mult[c];
        target.add = add[c];
        decodeBucketChannel(mode, payload.data(), blend, target);
    }
    return 0;
}

int CvoxelLoader::skipBucketRows(int bz) {
    CsliceIO none;
    for (; nextBucketRow < bz; nextBucketRow++)
        for (int by = 0; by < buckets[1]; by++)
            for (int bx = 0; bx < buckets[0]; bx++)
                if (fillBucket(bx, by, nextBucketRow, none, 0) != 0) return 1;
    return 0;
}

int CvoxelLoader::read(CsliceIO& request) {
    if (!active || !in) return 1;
    for (int d = 0; d < 3; d++)
        if (request.size[d] < 0) return 1;
    if (request.size[0] == 0 || request.size[1] == 0 || request.size[2] == 0) return 0;
    if (request.chans != chans || !request.slices) return 1;
    int firstRow = request.start[2] < 0 ? 0 : request.start[2] / bucket[2];
    int64_t lastZ = static_cast<int64_t>(request.start[2]) + request.size[2] - 1;
    if (lastZ < 0) return 0;
    int lastRow = lastZ >= res[2] ? buckets[2] - 1 : static_cast<int>(lastZ / bucket[2]);
    if (firstRow < nextBucketRow) {
        VTRACE(1, "voxel read went back in z");
        return 1;
    }
    if (skipBucketRows(firstRow) != 0) return 1;
    for (int bz = firstRow; bz <= lastRow; bz++, nextBucketRow++)
        for (int by = 0; by < buckets[1]; by++)
            for (int bx = 0; bx < buckets[0]; bx++)
                if (fillBucket(bx, by, bz, request, 1) != 0) return 1;
    return 0;
}
