// Data arrays: grids of one to three dimensions whose samples hold one to four channels,
// stored as unsigned bytes or 32-bit floats and laid over a world range per dimension.
//
// Samples are interleaved by channel, x fastest, then y, then z: channel c of (x, y, z)
// is at ((z * res[1] + y) * res[0] + x) * chans + c. The sample buffer is owned by the
// "mem" child so that the binary tree form of an array carries its data.
//
// The lookups (dataArraySample.cpp) turn a world coordinate into an index and a fraction
// with one subtraction and one multiplication per axis; they never allocate.
#pragma once

#include <cstdint>
#include <istream>

#include "support/mystring.h"
#include "support/vector.h"
#include "variables/variable.h"

class CmemoryChunkVar;
class CvoxelLoader;

class CdataArray : public Cvariable {
  public:
    // Empty: no shape, no buffer; registers the shape fields and makes the "mem" child.
    CdataArray();
    ~CdataArray() override;

    // After the binary tree form was read in: finds "mem", resets the ranges to the index
    // ranges and points the buffer at the block (dropped when the block is too small).
    int postLoadInitialization() override;
    int getType() override { return 0; }
    // Divides colour by alpha (images only).
    virtual void unpremult() {}

    // ---- shape and storage (dataArray.cpp) ----
    // Shapes the array (resY, resZ below 1 count as 1) and allocates its buffer.
    void init(int resX, int resY, int resZ, int chans, int dataType);
    // Allocates dataType * numElements bytes in "mem" (cleared); an impossible shape
    // allocates nothing.
    void allocData();
    void createMemVar();
    // Drops the buffer (unless stolen) and the shape.
    void clearDataArray();
    // World range of dimension d: sample 0 at min, the last sample at max.
    void setDimensionSpace(int d, float min, float max);
    // Every dimension over its own index range.
    void setDimensionSpaces();
    void setvalueRemap(float min, float max);
    void setChanFormatString();
    // Brings the first n (at most 3) coordinates into [spaceMin, spaceMax).
    void wrapIndexToRange(float* pos, int n);
    // Scales the world range (and, with a channel mask, the values) once in a life.
    void scaleSizeAndValues(float f, int chanMask);
    void scaleSize(float f);
    // Float data: multiplies the masked channels. Byte data: scales the value remap.
    void scaleValues(float f, int chanMask);
    // Hands the buffer to the caller, who frees it with delete[] as unsigned char.
    void letDataBeStolen();
    // Adopts a new[] byte block; "mem" frees it later.
    void setStolenData(unsigned char* buf);
    // Points at float storage owned elsewhere.
    void setStolenData(float* buf);

    // ---- whole-array operations on float data ----
    void fillWithConstant(float v);
    void addConstant(float v);
    float sum();
    // Mode 1: this += other * f; mode 0: this = other * f (over the shorter array).
    void merge(CdataArray* other, int mode, float f);

    // ---- byte data (dataArrayFormat.cpp) ----
    // Multiplies each channel by its factor in 8.8 fixed point, saturating at 255.
    // 0 done, 1 refused (float data).
    int mult(float const* factors);
    // Re-sizes the grid keeping the overlapping corner. 0 done, 1 refused.
    int newCanvasSize(int x, int y, int z);
    // Rewrites the channels into a layout named by letters ("rgba", "a", "rgb1", "rrr0").
    // 0 done or nothing to do, 1 refused.
    int reformat(char const* format);

    // ---- the "AAC0" file (dataArrayFile.cpp) ----
    // 0 read; non-zero not read (the shape is unchanged unless samples failed to read).
    // A "VOXL" file is read as a voxel volume (loadVoxelFile).
    int load(char const* path);
    // The same from a stream positioned at the file's start; name is for messages.
    int load(std::istream& in, char const* name);
    // 0 written; 1 not written.
    int save(char const* path);

    // Registered, saved with the array.
    short dims = 0;
    short chans = 0;
    short dataType = 1; // bytes per value: 1 unsigned byte, 4 float
    short dskcomp = 0;
    uint8_t scaled = 0;
    uint8_t stolen = 0;
    float valRemp[2] = {0.0f, 1.0f};
    float remapMult = 1.0f / 255.0f;
    int res[3] = {0, 0, 0};
    float spaceMin[3] = {0.0f, 0.0f, 0.0f};
    float spaceMax[3] = {0.0f, 0.0f, 0.0f};

    float toIndexMult[3] = {1.0f, 1.0f, 1.0f};
    float toIndexMult256[3] = {256.0f, 256.0f, 256.0f};
    Cstring chanFormat;
    short spaceMinFixed[3] = {0, 0, 0};
    int toIndexMultFixed[3] = {65536, 65536, 65536};
    int referenceCount = 0;
    CmemoryChunkVar* mem = nullptr;
    int numElements = 0;
    float* floatData = nullptr;
    unsigned char* byteData = nullptr;
    float resMinus1[3] = {0.0f, 0.0f, 0.0f};
    float rowFracY = 0.0f;
    float rowFracZ = 0.0f;
    float* rows[4] = {nullptr, nullptr, nullptr, nullptr};

  protected:
    // One axis of a lookup: the two neighbouring sample indices and the fraction between.
    struct AxisPos {
        int i0;
        int i1;
        float f;
    };
    // The index rule; an axis of fewer than two samples gives index 0, fraction 0.
    AxisPos axisPos(int d, float coordinate) const;
    // Nearest sample: truncate(t + 0.5), clamped into the grid.
    int nearestIndex(int d, float coordinate) const;
    // spaceMinFixed, toIndexMultFixed and toIndexMult256 of dimension d from the floats.
    void refreshFixedForms(int d);
};

// Big-endian readers of an input stream; a short read gives 0 and fails the stream.
int readULong(std::istream& in);
int readUShort(std::istream& in);
int readShort(std::istream& in);
int readByte(std::istream& in);

// One dimension: curves, motion tables, sound samples.
class CdataChan : public CdataArray {
  public:
    CdataChan() { dims = 1; }
    int getType() override { return 1; }

    // Linear at world x; selected channels by position.
    void getValues(float x, float* out, unsigned mask) const;
    // Catmull-Rom at world x; selected channels by position.
    void getValuesCublic(float x, float* out, unsigned mask) const;
    // All channels of the nearest sample.
    void getValUninterp(float x, float* out) const;
    // All channels of sample truncate(i), i clamped into the curve.
    void getValDirectIndex(float i, float* out) const;
    // The three values of sample truncate(i) of a three-channel curve.
    void getValDirectIndex3Chans(float i, float* out) const;
    // All channels at the fraction p of the curve's length.
    void getValuesUsingPercent(float p, float* out) const;

    // A float curve of n samples over storage owned elsewhere.
    void setStolenData(int n, int chans, float* buf);
    using CdataArray::setStolenData;
    // Adds a trapezoid 0 -> h over [a, b], h over [b, c], h -> 0 over [c, d] (indices).
    void addLinearHump(float a, float b, float c, float d, float h);
    // Adds the area of the segment (start, startValue) - (end, endValue) into the samples
    // it covers, partial samples by their covered fraction. Sample k covers [k, k + 1).
    void addTriangle(CintAndFract start, float startValue, CintAndFract end, float endValue, float width);
    // Moves the curve by s samples; scratch (chans floats) gets the vacated end's slope.
    void shiftData(float s, float* scratch, int mode);
};

// Binds chan to the float link at name under parent. 0 done, 1 missing or wrong size.
int stealChildChan(Cvariable* parent, char const* name, CdataChan& chan, int expected);

// Two dimensions: images, height and vector maps.
class CdataImage : public CdataArray {
  public:
    CdataImage() { dims = 2; }
    int getType() override { return 2; }
    void unpremult() override;

    // Float: bilinear, all channels by position for mask 0xFFFFFFFF, else packed.
    // Byte: the sample at the lower indices, selected channels / 255 by position.
    void getValues(float u, float v, float* out, unsigned mask) const;
    // Byte images: nearest sample's selected channels 0..255 by position.
    void getValuesUninterp(float u, float v, int* out, unsigned mask) const;
    // Float images: nearest sample's selected channels by position.
    void getValuesUninterp(float u, float v, float* out, unsigned mask) const;
    // Nearest float sample's first channel; null without float data.
    float* getFloatValuesPointerUninterp(float u, float v) const;
    // Float images: bilinear at fractions of width and height, all channels.
    void getValuesUsingPercent(float pu, float pv, float* out) const;

    // Byte images become float images of value / 255.
    void copyToFloats();
    // Copies src (byte, same channels) with its (0, 0) at (x0, y0), clipped.
    void copy(CdataImage* src, int x0, int y0);
    // Channel c of every pixel of the first slice; bytes store v * 255.
    void setChannelValue(int c, float v);
};

// Three dimensions: level-set and flow volumes.
class CdataVolume : public CdataArray {
  public:
    CdataVolume() { dims = 3; }
    int getType() override { return 3; }

    // Float volumes: trilinear; selected channels packed.
    void getValues(float x, float y, float z, float* out, unsigned mask) const;
    void getValues(Cvector const& p, float* out, unsigned mask) const { getValues(p.x, p.y, p.z, out, mask); }
    // One-channel float volumes: the trilinear value.
    float getSingleChanVolumeData(float x, float y, float z) const;
    // Row cache for sweeping x: keeps the four rows around (y, z) and their fractions.
    void setYZ(float y, float z);
    // All channels at integer x, bilinear from the cached rows, by position.
    void getIntX(int x, float* out) const;
    // Catmull-Rom in x and y, linear in z (eased for two slices); selected packed.
    void getValuesXYcubic(float x, float y, float z, float* out, unsigned mask) const;
    // Byte volumes: channel 0 at 8.8 fixed-point coordinates, 8-bit trilinear, 0..255.
    float getSingleChanVolumeData(short fx, short fy, short fz) const;
    float getSingleChanVolumeData(CintVector const& p) const {
        return getSingleChanVolumeData(p.x.value, p.y.value, p.z.value);
    }

    // ---- the "VOXL" file (vb_voxelVolume.cpp) ----
    // 0 read, 1 not (an exit reason says why; the shape is unchanged unless buckets failed).
    int loadVox(char const* file);
    // Shapes the volume from buffer 0's header. 0 done, 1 unreadable header.
    int setupDiskAccess(CvoxelLoader* loader);
    // Writes the volume; compressionMode 2 or 6 makes it load back as bytes over
    // remapMin .. remapMax. 0 written, 1 not.
    int saveVox(char const* file, float quality, short compressionMode, float remapMin, float remapMax);
};

// The voxel file into any array (shaped as a volume); what loadVox does. 0 read, 1 not.
int loadVoxelFile(CdataArray& array, char const* file);
// The same from a stream (a whole voxel file in memory).
int loadVoxelStream(CdataArray& array, std::istream& in);
// Buffer 0's header shapes the array; see CdataVolume::setupDiskAccess.
int setupVoxelArray(CdataArray& array, CvoxelLoader& loader);
// See CdataVolume::saveVox.
int saveVoxelFile(CdataArray& array, char const* file, float quality, short compressionMode, float remapMin,
                  float remapMax);
