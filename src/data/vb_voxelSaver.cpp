// Writing voxel files: the buffer table, headers, the corner table (filled in slab by
// slab as the planes arrive) and the compressed buckets.
#include <bit>

#include "data/vb_voxelIO.h"
#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

void putLE(std::ostream& out, uint32_t v, int size) {
    char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                 static_cast<char>(v >> 24)};
    out.write(b, size);
}

} // namespace

int CvoxelSaver::open(char const* path, uint16_t bufferCount) {
    close();
    backupWrite = 1; // the old file stays until the new one is complete
    if (!path || !path[0] || !file_open(file, Cstring(path), 0)) {
        backupWrite = 0;
        return 1;
    }
    return open(file, bufferCount);
}

int CvoxelSaver::open(std::ostream& stream, uint16_t bufferCount) {
    out = &stream;
    failed = false;
    bufferTotal = bufferCount;
    bufferIndex = 0;
    active = false;
    out->write("VOXL", 4);
    putLE(*out, bufferCount, 2);
    for (int i = 0; i < bufferCount; i++)
        putLE(*out, 666, 4);
    return out->good() ? 0 : 1;
}

int CvoxelSaver::close() {
    bool good = out && out->good() && !failed && !active;
    if (file.is_open()) {
        if (!good) file.setstate(std::ios::failbit); // an incomplete file never replaces the old one
        file_close(file);
        if (file.fail()) good = false;
    }
    out = nullptr;
    active = false;
    return good ? 0 : 1;
}

int CvoxelSaver::startBuffer(CvoxelHeader& header) {
    if (!out || active || bufferIndex >= bufferTotal) return 1;
    char const* problem = header.shapeProblem();
    if (problem[0]) {
        VTRACE(1, "voxel save: " << problem);
        return 1;
    }
    bufferPos = static_cast<int64_t>(out->tellp());
    out->seekp(6 + 4 * bufferIndex);
    putLE(*out, static_cast<uint32_t>(bufferPos), 4);
    out->seekp(bufferPos);
    header.writeHeader(*out, lhPos);
    res[0] = header.resX;
    res[1] = header.resY;
    res[2] = header.resZ;
    bucket[0] = header.bucketX;
    bucket[1] = header.bucketY;
    bucket[2] = header.bucketZ;
    chans = header.channels;
    int64_t cornerCount = chans;
    for (int d = 0; d < 3; d++) {
        buckets[d] = (res[d] + bucket[d] - 1) / bucket[d];
        cornerCount *= buckets[d] + 1;
    }
    cornerPos = static_cast<int64_t>(out->tellp());
    for (int64_t i = 0; i < cornerCount; i++)
        putLE(*out, 666, 2);
    dataPos = static_cast<int64_t>(out->tellp());
    slabsStored = 0;
    cornerPlanesStored = 0;
    cornerValuesStored = 0;
    lowest = 100000000.0f;
    highest = -100000000.0f;
    active = out->good();
    return active ? 0 : 1;
}

void CvoxelSaver::storeCornerPlane(int k, float* const* planes, int local) {
    int64_t planeSize = static_cast<int64_t>(buckets[0] + 1) * (buckets[1] + 1) * chans;
    out->seekp(cornerPos + 2 * k * planeSize);
    for (int j = 0; j <= buckets[1]; j++) {
        int y = j * bucket[1] < res[1] - 1 ? j * bucket[1] : res[1] - 1;
        for (int i = 0; i <= buckets[0]; i++) {
            int x = i * bucket[0] < res[0] - 1 ? i * bucket[0] : res[0] - 1;
            for (int c = 0; c < chans; c++) {
                float v = voxelClampValue(planes[local * chans + c][static_cast<int64_t>(y) * res[0] + x]);
                lowest = v < lowest ? v : lowest;
                highest = v > highest ? v : highest;
                putLE(*out, voxelHigh16(v), 2);
                cornerValuesStored++;
            }
        }
    }
    cornerPlanesStored++;
}

void CvoxelSaver::compressBucket(int bx, int by, float* const* planes) {
    int z0 = slabsStored * bucket[2];
    int origin[3] = {bx * bucket[0], by * bucket[1], z0};
    int n[3];
    for (int d = 0; d < 3; d++)
        n[d] = res[d] - origin[d] < bucket[d] ? res[d] - origin[d] : bucket[d];
    int cornerX[2], cornerY[2], cornerZ[2]; // corner voxels; z relative to the slab
    for (int e = 0; e < 2; e++) {
        cornerX[e] = (bx + e) * bucket[0] < res[0] - 1 ? (bx + e) * bucket[0] : res[0] - 1;
        cornerY[e] = (by + e) * bucket[1] < res[1] - 1 ? (by + e) * bucket[1] : res[1] - 1;
        cornerZ[e] =
            ((slabsStored + e) * bucket[2] < res[2] - 1 ? (slabsStored + e) * bucket[2] : res[2] - 1) - z0;
    }
    values.resize(static_cast<size_t>(n[0]) * n[1] * n[2]);
    for (int c = 0; c < chans; c++) {
        auto at = [&](int x, int y, int z) {
            return voxelClampValue(planes[z * chans + c][static_cast<int64_t>(y) * res[0] + x]);
        };
        float corner[8];
        for (int k = 0; k < 8; k++)
            corner[k] = at(cornerX[k & 1], cornerY[(k >> 1) & 1], cornerZ[(k >> 2) & 1]);
        float* v = values.data();
        for (int z = 0; z < n[2]; z++)
            for (int y = 0; y < n[1]; y++)
                for (int x = 0; x < n[0]; x++)
                    *v++ = at(origin[0] + x, origin[1] + y, z);
        blend.setup(n, corner);
        bytes.clear();
        encodeBucketChannel(values.data(), blend, quality, bytes, lowest, highest);
        out->write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

int CvoxelSaver::storeSlices(float** planes) {
    if (!active || !planes || slabsStored >= buckets[2]) return 1;
    int z0 = slabsStored * bucket[2];
    if (slabsStored == 0) storeCornerPlane(0, planes, 0);
    int farZ = (slabsStored + 1) * bucket[2] < res[2] - 1 ? (slabsStored + 1) * bucket[2] : res[2] - 1;
    storeCornerPlane(slabsStored + 1, planes, farZ - z0);
    out->seekp(dataPos);
    for (int by = 0; by < buckets[1]; by++)
        for (int bx = 0; bx < buckets[0]; bx++)
            compressBucket(bx, by, planes);
    dataPos = static_cast<int64_t>(out->tellp());
    slabsStored++;
    if (!out->good()) failed = true;
    return failed ? 1 : 0;
}

int CvoxelSaver::endBuffer() {
    if (!active) return 1;
    active = false;
    bufferIndex++;
    int64_t expected = static_cast<int64_t>(buckets[0] + 1) * (buckets[1] + 1) * (buckets[2] + 1) * chans;
    if (cornerValuesStored != expected) {
        failed = true; // a table of placeholders must not replace a good file
        return 1;
    }
    out->seekp(lhPos);
    putLE(*out, std::bit_cast<uint32_t>(lowest), 4);
    putLE(*out, std::bit_cast<uint32_t>(highest), 4);
    out->seekp(dataPos);
    if (!out->good()) failed = true;
    return failed ? 1 : 0;
}
