// The "VOXL" voxel file: a table of buffers, each a keyed header, a table of bucket corners
// (16-bit floats) and the buckets' compressed contents (vb_voxelBucket.h). Little-endian.
//
// Buckets are read strictly in file order, so a loader is fed requests slab by slab in
// increasing z over the whole x and y extent; only one slab of planes is held at a time.
#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <ostream>
#include <vector>

#include "data/vb_voxelBucket.h"
#include "support/mystring.h"

// The most values (voxels x channels) a loader accepts in one buffer; a header asking for
// more is refused before anything is allocated.
extern int64_t voxelValueLimit;

class CvoxelHeader {
  public:
    // Writes the chunks "MN", "OR", "CM", "LH" (placeholders, its payload position in
    // lhPosition) and "--". 0 written, 1 the stream failed.
    int writeHeader(std::ostream& out, int& lhPosition);
    // Reads chunks up to "--", skipping unknown keys. 0 read; 1 the stream ended first or a
    // chunk was malformed.
    int readHeader(std::istream& in);
    // 0 set; 1 for a name that is not four characters long (type unchanged).
    int setType(char const* name);
    // "" when the shape can be stored and read, else what is wrong with it.
    char const* shapeProblem() const;

    Cstring magic = "VOXL";
    Cstring type = "UNDF";
    uint16_t channels = 0;
    uint16_t resX = 0, resY = 0, resZ = 0;
    float boxMin[3] = {-1.0f, -1.0f, -1.0f};
    float boxMax[3] = {1.0f, 1.0f, 1.0f};
    uint8_t bucketX = 8, bucketY = 8, bucketZ = 8;
    uint8_t reserved = 0;
    float fov = 0.0f, squish = 0.0f, xs = 0.0f, ys = 0.0f;
    float ff[3] = {0.0f, 0.0f, 1.0f};
    float faceup[3] = {0.0f, 0.0f, 1.0f};
    int32_t cmReserved = 0;
    int32_t compressionMode = 0;
    float remapMax = 1.0f, remapMin = 0.0f;
    float shA = 1.0f, shB = 0.5f;
    float lowest = -1.0f, highest = 1.0f;
    uint8_t trFlag = 0;
    uint32_t trValue = 0;
    uint16_t trA[3] = {0, 0, 0}, trB[3] = {0, 0, 0};
};

// A box of voxels to read: slices[z * chans + c] are planes of size[0] x size[1] floats,
// x fastest, one per z of the box and channel.
struct CsliceIO {
    float** slices = nullptr;
    int chans = 0;
    int start[3] = {0, 0, 0};
    int size[3] = {0, 0, 0};
};

class CvoxelLoader {
  public:
    CvoxelLoader() = default;
    CvoxelLoader(CvoxelLoader const&) = delete;
    CvoxelLoader& operator=(CvoxelLoader const&) = delete;
    ~CvoxelLoader() { close(); }

    // Opens the file and reads the magic and the buffer table. 0 open; 1 (closed again)
    // when it does not open, is not "VOXL" or its table is cut short.
    int open(char const* file);
    // The same over a stream the caller keeps alive until close.
    int open(std::istream& stream);
    // Ends an active buffer, then reads buffer index's header and corner table and stands
    // at its bucket data. 0 ready; 1 missing, malformed or larger than allowed.
    int startBuffer(int index, CvoxelHeader& header);
    // Fills the request from the buckets that overlap it. 0 read; 1 a bucket failed, the
    // request went back in z, or no buffer is active.
    int read(CsliceIO& request);
    // Decodes bucket (bx, by, bz) into the request (fill 0: consumed only). 0 or 1.
    int fillBucket(int bx, int by, int bz, CsliceIO& request, int fill);
    // Per-channel multiplier and offset of every decoded value (null leaves them).
    void setMultAdd(float const* mult, float const* add);
    float getLowestVoxelValue() const { return lowest * mult[0] + add[0]; }
    float getHighestVoxelValue() const { return highest * mult[0] + add[0]; }
    void endBuffer();
    void close();
    int bufferCount() const { return static_cast<int>(offsets.size()); }

  private:
    int readTable();
    int skipBucketRows(int bz);

    std::ifstream file;
    std::istream* in = nullptr;
    int64_t streamEnd = 0;
    std::vector<uint32_t> offsets;
    int64_t cornerPos = 0, dataPos = 0;
    int res[3] = {0, 0, 0};
    int bucket[3] = {0, 0, 0};
    int buckets[3] = {0, 0, 0};
    int chans = 0;
    bool active = false;
    int nextBucketRow = 0; // the next bz in the stream
    std::vector<uint16_t> corners;
    float mult[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float add[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float lowest = 0.0f, highest = 0.0f;
    std::vector<uint8_t> payload;
    CbucketBlend blend;
};

class CvoxelSaver {
  public:
    CvoxelSaver() = default;
    CvoxelSaver(CvoxelSaver const&) = delete;
    CvoxelSaver& operator=(CvoxelSaver const&) = delete;
    ~CvoxelSaver() { close(); }

    // Creates the file (written safely: the old one stays until close succeeds) with room
    // for bufferCount buffers. 0 open, 1 not.
    int open(char const* file, uint16_t bufferCount);
    // The same into a seekable stream the caller keeps alive.
    int open(std::ostream& stream, uint16_t bufferCount);
    // Starts the next buffer: table slot, header, a placeholder corner table. 0 or 1.
    int startBuffer(CvoxelHeader& header);
    // Stores the next slab: planes[l * channels + c] for l = 0 .. bucketZ, plane l holding
    // z = slab start + l (resX x resY floats); planes past the volume's last z are unused.
    // 0 stored; 1 no buffer, or every slab was already stored.
    int storeSlices(float** planes);
    // 0 and the range patched into "LH" when every corner was stored, else 1.
    int endBuffer();
    // Closes the file; 0 when everything was written.
    int close();

    float quality = 256.0f;

  private:
    void storeCornerPlane(int k, float* const* planes, int local);
    void compressBucket(int bx, int by, float* const* planes);

    std::ofstream file;
    std::ostream* out = nullptr;
    bool failed = false;
    int bufferTotal = 1;
    int bufferIndex = 0;
    int64_t bufferPos = 0, cornerPos = 0, dataPos = 0;
    int lhPos = 0;
    int res[3] = {0, 0, 0};
    int bucket[3] = {0, 0, 0};
    int buckets[3] = {0, 0, 0};
    int chans = 0;
    bool active = false;
    int slabsStored = 0;
    int cornerPlanesStored = 0;
    int64_t cornerValuesStored = 0;
    float lowest = 100000000.0f;
    float highest = -100000000.0f;
    std::vector<uint8_t> bytes;
    std::vector<float> values;
    CbucketBlend blend;
};
