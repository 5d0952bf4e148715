// CdataArray: shape, storage, ranges and the whole-array operations on float data.
#include "data/dataArray.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "support/cerr.h"
#include "variables/variableLinks.h"

namespace {

// Float to fixed point without the undefined behaviour of an out-of-range conversion:
// not-a-number gives 0, the rest saturates.
template <typename T> T toFixed(float value, float scale) {
    double v = static_cast<double>(value) * scale;
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (v >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

// Registered shape fields travel with the binary tree form and merge on load.
void markRegistered(Cvariable* link, int count) {
    link->flags |= VAR_BINARY_MERGE | VAR_LINK;
    if (count > 1) link->setNumElements(count);
}

// chans x rx x ry x rz values of size bytes, or -1 when that is no buffer we can hold.
int64_t bufferBytes(int chans, int rx, int ry, int rz, int size) {
    if (chans < 1 || rx < 1 || ry < 1 || rz < 1) return -1;
    int64_t bytes = static_cast<int64_t>(chans) * size;
    for (int r : {rx, ry, rz}) {
        if (r > INT_MAX / bytes) return -1;
        bytes *= r;
    }
    return bytes;
}

} // namespace

CdataArray::CdataArray() {
    markRegistered(registerShort(dims, "dims", 1), 1);
    markRegistered(registerShort(chans, "chans", 1), 1);
    markRegistered(registerShort(dataType, "dataType", 1), 1);
    markRegistered(registerShort(dskcomp, "dskcomp", 1), 1);
    markRegistered(registerFloat(valRemp[0], "valRemp", 1), 2);
    markRegistered(registerInt(res[0], "res", 1), 3);
    markRegistered(registerFloat(spaceMin[0], "spaceMin", 1), 3);
    markRegistered(registerFloat(spaceMax[0], "spaceMax", 1), 3);
    flags |= VAR_SAVE | VAR_SAVE_ALL_CHILDREN;
    createMemVar();
}

CdataArray::~CdataArray() {
    VTRACE(2, "deleting data array " << name);
    clearDataArray();
    delete mem; // unhooks itself
    mem = nullptr;
}

void CdataArray::createMemVar() {
    if (mem) return;
    if (Cvariable* found = getChild("mem", 0)) {
        mem = dynamic_cast<CmemoryChunkVar*>(found);
        if (mem) return;
    }
    mem = new CmemoryChunkVar();
    mem->setName("mem");
    mem->flags |= VAR_BINARY_MERGE;
    addVariable(mem, 0);
}

void CdataArray::setChanFormatString() {
    static char const* const formats[] = {"a", "ra", "rgb", "rgba"};
    chanFormat = (chans >= 1 && chans <= 4) ? formats[chans - 1] : "";
}

void CdataArray::init(int resX, int resY, int resZ, int chanCount, int type) {
    clearDataArray();
    dims = static_cast<short>(1 + (resY >= 2) + (resZ >= 2));
    chans = static_cast<short>(chanCount);
    setChanFormatString();
    dataType = static_cast<short>(type);
    res[0] = resX;
    res[1] = resY < 1 ? 1 : resY;
    res[2] = resZ < 1 ? 1 : resZ;
    setDimensionSpaces();
    VTRACE(1, "init array with " << dims << " dimensions " << resX << "x" << resY << "x" << resZ
                                 << " chs=" << chanCount << " data type " << type);
    allocData();
}

void CdataArray::allocData() {
    if (byteData || floatData) setExitError("data already alloced", 1);
    createMemVar();
    byteData = nullptr;
    floatData = nullptr;
    // A negative or absurd shape (bad data) allocates nothing rather than overflowing.
    int64_t bytes = (dataType == 1 || dataType == 4) ? bufferBytes(chans, res[0], res[1] > 1 ? res[1] : 1,
                                                                   res[2] > 1 ? res[2] : 1, dataType)
                                                     : -1;
    if (bytes < 0) {
        if (chans != 0 || res[0] != 0) VTRACE(1, "data array " << name << ": no buffer for this shape");
        numElements = 0;
        mem->clearPointer();
        return;
    }
    numElements = static_cast<int>(bytes / dataType);
    void* block = mem->allocMem(static_cast<unsigned>(bytes));
    std::memset(block, 0, static_cast<size_t>(bytes));
    if (dataType == 1)
        byteData = static_cast<unsigned char*>(block);
    else
        floatData = static_cast<float*>(block);
}

void CdataArray::clearDataArray() {
    if (!stolen) {
        byteData = nullptr;
        floatData = nullptr;
        if (mem) mem->clearPointer();
    }
    numElements = 0;
    chans = 0;
    res[0] = 0;
    res[1] = 1;
    res[2] = 1;
}

void CdataArray::setDimensionSpace(int d, float min, float max) {
    if (d < 0 || d > 2) return;
    spaceMin[d] = min;
    spaceMax[d] = max;
    toIndexMult[d] = static_cast<float>(res[d] - 1) / (max - min);
    refreshFixedForms(d);
    resMinus1[d] = static_cast<float>(res[d] - 1);
}

void CdataArray::refreshFixedForms(int d) {
    spaceMinFixed[d] = toFixed<short>(spaceMin[d], 256.0f);
    toIndexMultFixed[d] = toFixed<int>(toIndexMult[d], 65536.0f);
    toIndexMult256[d] = toIndexMult[d] * 256.0f;
}

void CdataArray::setDimensionSpaces() {
    for (int d = 0; d < 3; d++) {
        spaceMin[d] = 0.0f;
        spaceMax[d] = static_cast<float>(res[d] - 1);
        toIndexMult[d] = 1.0f;
        refreshFixedForms(d);
        resMinus1[d] = static_cast<float>(res[d] - 1);
    }
}

void CdataArray::setvalueRemap(float min, float max) {
    valRemp[0] = min;
    valRemp[1] = max;
    remapMult = (max - min) * (1.0f / 255.0f);
}

int CdataArray::postLoadInitialization() {
    mem = nullptr; // the tree was just read in: look the child up again
    createMemVar();
    for (int d = 1; d < 3; d++)
        if (res[d] < 1) res[d] = 1; // dimensions not in use have one sample
    setChanFormatString();
    setDimensionSpaces();
    byteData = nullptr;
    floatData = nullptr;
    int size = dataType == 1 ? 1 : 4;
    int64_t bytes = bufferBytes(chans, res[0], res[1], res[2], size);
    // A buffer smaller than the shape read with it would be read past its end.
    if (bytes < 0 || mem->data == nullptr || bytes > static_cast<int64_t>(mem->size)) {
        if (chans != 0 || mem->data)
            setExitError((Cstring("data array ") + name + " has a buffer unlike its shape").c_str(), 1);
        numElements = 0;
        return 0;
    }
    numElements = static_cast<int>(bytes / size);
    if (dataType == 1)
        byteData = mem->data;
    else
        floatData = reinterpret_cast<float*>(mem->data);
    return 0;
}

void CdataArray::wrapIndexToRange(float* pos, int n) {
    if (n > 3) n = 3;
    for (int d = 0; d < n; d++) {
        float span = spaceMax[d] - spaceMin[d];
        // An empty or broken range has nothing to wrap into; stepping would never end.
        if (!(span > 0.0f) || !std::isfinite(span) || !std::isfinite(pos[d])) continue;
        if (pos[d] < spaceMin[d] || pos[d] >= spaceMax[d]) {
            float off = std::fmod(pos[d] - spaceMin[d], span);
            if (off < 0.0f) off += span;
            pos[d] = spaceMin[d] + off;
            if (pos[d] >= spaceMax[d]) pos[d] = spaceMin[d];
        }
    }
}

void CdataArray::scaleSize(float f) {
    for (int d = 0; d < dims && d < 3; d++) {
        spaceMin[d] *= f;
        spaceMax[d] *= f;
        toIndexMult[d] *= 1.0f / f;
    }
}

void CdataArray::scaleSizeAndValues(float f, int chanMask) {
    if (f == 1.0f || scaled) return;
    scaleSize(f);
    if (chanMask != 0) scaleValues(f, chanMask);
    scaled = 1;
}

void CdataArray::scaleValues(float f, int chanMask) {
    unsigned mask = static_cast<unsigned>(chanMask);
    unsigned used = chans >= 32 ? ~0u : ((1u << (chans > 0 ? chans : 0)) - 1);
    if ((mask & used) == 0) return;
    if (floatData) {
        VTRACE(1, "scale float data");
        for (int i = 0; i < numElements; i++)
            if (mask & (1u << (i % chans))) floatData[i] *= f;
    } else if (byteData) {
        // Bytes cannot hold scaled values; the remap that gives them meaning scales instead.
        setvalueRemap(valRemp[0] * f, valRemp[1] * f);
    }
}

void CdataArray::letDataBeStolen() {
    numElements = 0;
    byteData = nullptr;
    floatData = nullptr;
    if (mem) mem->memHasBeenStolen();
}

void CdataArray::setStolenData(unsigned char* buf) {
    numElements = chans * res[0] * res[1] * res[2];
    byteData = buf;
    floatData = nullptr;
    dataType = 1;
    createMemVar();
    mem->setPointerAndSize(buf, static_cast<unsigned>(numElements));
}

void CdataArray::setStolenData(float* buf) {
    numElements = chans * res[0] * res[1] * res[2];
    floatData = buf;
    byteData = nullptr;
    dataType = 4;
}

void CdataArray::fillWithConstant(float v) {
    if (!floatData) return;
    for (int i = 0; i < numElements; i++)
        floatData[i] = v;
}

void CdataArray::addConstant(float v) {
    if (!floatData || v == 0.0f) return;
    for (int i = 0; i < numElements; i++)
        floatData[i] += v;
}

float CdataArray::sum() {
    if (!floatData) return 0.0f;
    double total = 0.0;
    for (int i = 0; i < numElements; i++)
        total += floatData[i];
    return static_cast<float>(total);
}

void CdataArray::merge(CdataArray* other, int mode, float f) {
    if (!other || !floatData || !other->floatData) return;
    int n = numElements < other->numElements ? numElements : other->numElements;
    if (mode == 1) {
        if (f == 0.0f) return;
        for (int i = 0; i < n; i++)
            floatData[i] += other->floatData[i] * f;
    } else if (mode == 0) {
        for (int i = 0; i < n; i++)
            floatData[i] = other->floatData[i] * f;
    }
}
