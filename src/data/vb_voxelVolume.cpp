// Volumes to and from the voxel file, one slab of planes at a time.
#include <vector>

#include "data/dataArray.h"
#include "data/vb_voxelIO.h"
#include "support/cerr.h"

namespace {

// Buffer 0's header shapes the array; nothing is changed when it cannot be read.
int shapeFromBuffer(CdataArray& a, CvoxelLoader& loader, CvoxelHeader& h) {
    if (loader.startBuffer(0, h) != 0) return 1;
    bool bytes = h.compressionMode == 2 || h.compressionMode == 6;
    a.init(h.resX, h.resY, h.resZ, h.channels, bytes ? 1 : 4);
    if (a.numElements != static_cast<int64_t>(h.resX) * h.resY * h.resZ * h.channels) {
        a.clearDataArray();
        return 1;
    }
    if (bytes) a.setvalueRemap(h.remapMin, h.remapMax);
    for (int d = 0; d < 3; d++)
        a.setDimensionSpace(d, h.boxMin[d], h.boxMax[d]);
    return 0;
}

// A byte for v over the range: its share of 255, truncated and clamped.
unsigned char remapToByte(float v, float low, float high) {
    float s = (v - low) * 255.0f / (high - low);
    return !(s >= 0.0f) ? 0 : s >= 255.0f ? 255 : static_cast<unsigned char>(s);
}

int failLoad(CdataArray& a, bool shaped) {
    if (shaped) a.clearDataArray();
    setExitError("Error reading voxel file!", 1);
    return 1;
}

// The volume of an open loader's buffer 0.
int readVolume(CdataArray& a, CvoxelLoader& loader) {
    CvoxelHeader h;
    if (shapeFromBuffer(a, loader, h) != 0) return failLoad(a, false);
    int res[3] = {h.resX, h.resY, h.resZ};
    int chans = h.channels;
    int slabPlanes = h.bucketZ < res[2] ? h.bucketZ : res[2];
    size_t planeSize = static_cast<size_t>(res[0]) * res[1];
    std::vector<float> slab(planeSize * slabPlanes * chans);
    std::vector<float*> planes(static_cast<size_t>(slabPlanes) * chans);
    for (size_t i = 0; i < planes.size(); i++)
        planes[i] = slab.data() + i * planeSize;

    for (int z0 = 0; z0 < res[2]; z0 += h.bucketZ) {
        int depth = res[2] - z0 < slabPlanes ? res[2] - z0 : slabPlanes;
        CsliceIO request;
        request.slices = planes.data();
        request.chans = chans;
        request.start[2] = z0;
        request.size[0] = res[0];
        request.size[1] = res[1];
        request.size[2] = depth;
        if (loader.read(request) != 0) return failLoad(a, true);
        for (int l = 0; l < depth; l++) {
            size_t base = static_cast<size_t>(z0 + l) * planeSize * chans;
            for (int c = 0; c < chans; c++) {
                float const* p = planes[static_cast<size_t>(l) * chans + c];
                if (a.floatData) {
                    for (size_t i = 0; i < planeSize; i++)
                        a.floatData[base + i * chans + c] = p[i];
                } else {
                    for (size_t i = 0; i < planeSize; i++)
                        a.byteData[base + i * chans + c] = remapToByte(p[i], h.remapMin, h.remapMax);
                }
            }
        }
    }
    return 0;
}

int openFailed() {
    setExitError("Unknown voxel format", 1);
    return 1;
}

} // namespace

int loadVoxelFile(CdataArray& a, char const* file) {
    CvoxelLoader loader;
    return loader.open(file) != 0 ? openFailed() : readVolume(a, loader);
}

int loadVoxelStream(CdataArray& a, std::istream& in) {
    CvoxelLoader loader;
    return loader.open(in) != 0 ? openFailed() : readVolume(a, loader);
}

int setupVoxelArray(CdataArray& array, CvoxelLoader& loader) {
    CvoxelHeader h;
    return shapeFromBuffer(array, loader, h);
}

int saveVoxelFile(CdataArray& a, char const* file, float quality, short compressionMode, float remapMin,
                  float remapMax) {
    int chans = a.chans;
    int64_t count = static_cast<int64_t>(a.res[0]) * a.res[1] * a.res[2] * chans;
    bool fits = chans >= 1 && chans <= 4 && count == a.numElements && (a.floatData || a.byteData);
    for (int d = 0; d < 3; d++)
        fits = fits && a.res[d] >= 1 && a.res[d] <= 65535;
    if (!fits) {
        VTRACE(1, "voxel save: " << a.name << " has no volume to save");
        return 1;
    }
    CvoxelHeader h;
    h.setType(chans == 3 ? "VECT" : chans == 1 ? "OPAC" : "UNDF");
    h.channels = static_cast<uint16_t>(chans);
    h.resX = static_cast<uint16_t>(a.res[0]);
    h.resY = static_cast<uint16_t>(a.res[1]);
    h.resZ = static_cast<uint16_t>(a.res[2]);
    for (int d = 0; d < 3; d++) {
        h.boxMin[d] = a.spaceMin[d];
        h.boxMax[d] = a.spaceMax[d];
    }
    h.bucketX = 8;
    h.bucketY = 8;
    h.bucketZ = 4;
    h.xs = 0.5f;
    h.ys = 0.5f;
    h.faceup[1] = 1.0f;
    h.faceup[2] = 0.0f;
    h.compressionMode = compressionMode == -1 ? 0 : compressionMode;
    h.remapMin = remapMin;
    h.remapMax = remapMax;

    CvoxelSaver saver;
    saver.quality = quality * 256.0f;
    if (saver.open(file, 2) != 0 || saver.startBuffer(h) != 0) return 1;
    // A slab's planes and the next slab's first, which holds its far corners.
    int res[3] = {a.res[0], a.res[1], a.res[2]};
    size_t planeSize = static_cast<size_t>(res[0]) * res[1];
    int gathered = h.bucketZ + 1;
    std::vector<float> slab(planeSize * gathered * chans);
    std::vector<float*> planes(static_cast<size_t>(gathered) * chans);
    for (size_t i = 0; i < planes.size(); i++)
        planes[i] = slab.data() + i * planeSize;
    for (int z0 = 0; z0 < res[2]; z0 += h.bucketZ) {
        for (int l = 0; l < gathered && z0 + l < res[2]; l++) {
            size_t base = static_cast<size_t>(z0 + l) * planeSize * chans;
            for (int c = 0; c < chans; c++) {
                float* p = planes[static_cast<size_t>(l) * chans + c];
                for (size_t i = 0; i < planeSize; i++)
                    p[i] = a.floatData ? a.floatData[base + i * chans + c]
                                       : a.valRemp[0] + a.byteData[base + i * chans + c] * a.remapMult;
            }
        }
        if (saver.storeSlices(planes.data()) != 0) break;
    }
    int result = saver.endBuffer();
    if (saver.close() != 0) result = 1;
    return result;
}

int CdataVolume::loadVox(char const* file) {
    return loadVoxelFile(*this, file);
}

int CdataVolume::setupDiskAccess(CvoxelLoader* loader) {
    return loader ? setupVoxelArray(*this, *loader) : 1;
}

int CdataVolume::saveVox(char const* file, float quality, short compressionMode, float remapMin,
                         float remapMax) {
    return saveVoxelFile(*this, file, quality, compressionMode, remapMin, remapMax);
}
