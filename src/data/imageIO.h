// imageFile: the engine's plain raster buffer.
//
// A rectangle of pixels with one to four interleaved channels of 8-bit (type 1, 255 = 1.0),
// 16-bit fixed-point (type 3, 8192 = 1.0) or 32-bit float (type 11) samples, reached through
// a table of row pointers. Row 0 is the bottom row of the picture. The SGI reader and writer
// live in data/sgiLoader.cpp, the TIFF writer in data/tiffWriter.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <ostream>

#include "support/mystring.h"

class CmemoryIO;

// Bytes per channel of each pixel type; only types 1, 3 and 11 are interpreted.
extern const uint16_t imagePixelTypeBytes[13];

enum : uint16_t { PIXEL_8BIT = 1, PIXEL_FIXED = 3, PIXEL_FLOAT = 11 };

// The largest pixel block an image may hold; larger sizes are refused.
constexpr size_t maxImageBytes = size_t(1) << 28;

struct pixel8 {
    uint8_t c[4] = {0, 0, 0, 0};
    uint8_t& operator[](int i) { return c[i]; }
    uint8_t operator[](int i) const { return c[i]; }
};

struct pixelFixed {
    int16_t c[4] = {0, 0, 0, 0};
    int16_t& operator[](int i) { return c[i]; }
    int16_t operator[](int i) const { return c[i]; }
};

// One pixel of any type as floats. Element-wise operators work over the shorter length.
class pixelFloat {
  public:
    pixelFloat() : pixelFloat(4) {}
    explicit pixelFloat(int count);
    pixelFloat(pixelFloat const& other);
    pixelFloat& operator=(pixelFloat const& other);
    ~pixelFloat() { delete[] v; }

    pixelFloat& operator+=(pixelFloat const& o);
    pixelFloat& operator-=(pixelFloat const& o);
    pixelFloat& operator*=(pixelFloat const& o);
    pixelFloat& operator/=(pixelFloat const& o);
    pixelFloat& operator*=(float f);
    pixelFloat& operator/=(float f);
    void setAll(float value);
    void assign(float r, float g, float b, float a);
    float& operator()(int i) { return v[i]; }
    float operator()(int i) const { return v[i]; }
    // Value i, or 0 outside the array.
    float safe(int i) const { return i >= 0 && i < length ? v[i] : 0.0f; }
    int size() const { return length; }

  private:
    float* v;
    int length;
};

// Hue in degrees, saturation and value of the first three values taken as r, g, b.
void RGB2HSV(pixelFloat const& pixel, float& h, float& s, float& v);
// The first three values as 0x00BBGGRR, each value times 255 truncated.
int pixel2CREF(pixelFloat const& pixel);

class imageFile {
  public:
    imageFile();
    // The empty image, then loadImage(path, true).
    explicit imageFile(char const* path);
    imageFile(uint16_t w, uint16_t h, uint16_t channels, uint16_t pixelType, uint16_t rows, int mode);
    ~imageFile();
    imageFile(imageFile const&) = delete;
    imageFile& operator=(imageFile const&) = delete;

    // Back to the empty state without freeing anything (for a freshly made record).
    void init();
    // Sizes the image: width and height are bounded by maxWidth/maxHeight, channels by a
    // pending forcedChannels. mode 0 allocates nothing, a negative mode stops after the
    // sizes, mode 1 allocates rows and pixels, mode 2 also clears them. Pixels held before
    // are released first. Returns 1, or 0 (no pixels held) for a channel count outside 1-4,
    // an unknown pixel type or a block that is too large or cannot be allocated.
    int init(uint16_t w, uint16_t h, uint16_t channels, uint16_t pixelType, uint16_t rows, int mode);
    // Points rows 1.. of scanLines at a borrowed block placed in row 0.
    void setScanLinesPointers();
    // Hands the pixel block this image allocated (row 0 first, rows contiguous) to the
    // caller, who frees it with delete[]; the image keeps its row table and is marked
    // stolen. Null when the image holds no block of its own.
    unsigned char* letPixelsBeStolen();
    // Releases the pixels (a stolen block stays with its owner) and the row tables.
    void freeImage();

    // Loads by suffix: SGI, RGB and ALPHA here, picture formats through OS::loadImageFile.
    // Nonzero on success; 0 for a missing, malformed or unknown file. A file of the resource
    // copy that cannot be read is copied again from the install folder and read once more.
    int loadImage(char const* path, bool loadPixels);
    // One reading of the file, as loadImage.
    int loadImageOnce(char const* path, bool loadPixels);

    // Start of pixel x of held row y (callers subtract bufferLine). Null, with an exit
    // reason recorded, when the image holds no such row.
    unsigned char* getPixelAddress(int x, int y);
    unsigned char* getScanLineAddress(int x, int y, int channel) {
        return scanLines[y] + bytesPerChannel * (channels * x + channel);
    }
    void setBufferLine(int line) { bufferLine = static_cast<uint16_t>(line); }
    size_t stride() const { return size_t(width) * channels * bytesPerChannel; }
    bool hasPixels() const { return scanLines != nullptr; }

    // Per-pixel access in image coordinates; no bounds are tested. Writes into 8-bit and
    // fixed images saturate instead of wrapping.
    int getPixel(int x, int y, pixel8& p);
    int setPixel(int x, int y, pixel8& p);
    int getPixel(int x, int y, pixelFixed& p);
    int setPixel(int x, int y, pixelFixed& p);
    int getPixel(int x, int y, pixelFloat& p);
    int setPixel(int x, int y, pixelFloat& p);
    int addPixel(int x, int y, pixelFloat& p);
    // Bilinear samples: 8-bit images into pixel8, float images into pixelFloat.
    int getPixel(float x, float y, pixel8& p);
    int getPixel(float x, float y, pixelFloat& p);

    // Converts between 8-bit and float pixels. 1 done (or nothing to do), 0 refused.
    int convert(uint16_t newType);

    // ---- whole-image operations (data/imageOps.cpp, data/imageOpsFloat.cpp) ----
    // Factor and value tables hold one entry per channel (four entries). The 8-bit
    // operations leave images of other types unchanged; every operation keeps its reads
    // and writes inside both images and refuses images that do not hold all their rows.

    // Clears every held byte.
    void zero();
    // Every channel of column x (row y when vertical) gets x * (256 / width), wrapped to 8 bits.
    int simpleRamp(int vertical);
    // Sets the channels named by letters ("r", "g", "b", "a"; at most four) to the matching
    // values on 1-, 2- and 4-channel 8-bit images, whole 32-bit words at a time (pixels past
    // the last whole word of a row stay). 0 done (or skip set), 1 refused.
    int fill(char const* letters, float const* values, int skip);
    // Scales each channel by its factor in 8.8 fixed point, saturating at 255.
    int mult(float const* factors);
    // Adds the source scaled per channel; 1 (traced) when the sizes differ.
    int addImage(imageFile* source, float const* factors);
    // Channel destChannel of each pixel = channel sourceChannel of the source pixel at whole
    // multiples of the size ratio; nothing for a source smaller than this image or a
    // channel either image lacks. A null source records "bad assert".
    void channelCopy(int destChannel, imageFile* source, int sourceChannel);
    // Outline: interior samples below 250 get a step code of the 3 x 3 source maximum.
    void fattenChannel(int destChannel, int sourceChannel, float unused);
    // This image = the source halved along the flagged axes by 2 x 2 averages. 1 refused.
    int downRes(imageFile* source, short halveX, short halveY);
    // This image = the source box-filtered to the new size. 1 refused (no source, size 0).
    int resize(imageFile* source, int newWidth, int newHeight);
    // Composes the top image (offset by x, y) onto the bottom one into this image; method
    // codes are compMethod. 1 when a mask method has no mask, the method is not supported
    // (recorded) or an image is unusable; the region is clipped to every image it reads.
    int comp(imageFile* bottom, imageFile* top, imageFile* mask, short chans, short method, short unused1,
             short unused2, short x, short y, float mult, float add);
    // Moves source pixels by the vector image's offsets into this image. 1 when the vector
    // image's size differs ("displace bad res" recorded) or an image is unusable.
    int displace(imageFile* vectors, imageFile* source, float contrast, float mult, float add, float scaleX,
                 float scaleY, float offsetX, float offsetY, float angle, float bluePostAddMult);
    // The bilinear sample at (x, y) with both coordinates wrapped around the image; any
    // finite coordinate is accepted, others read as 0. Returns 1.
    int getPixelWrap(float x, float y, pixelFloat& p);
    // Adds the area-weighted coverage of the source rectangle (one-channel 8-bit) to channel
    // 0 over the destination span [fx0, fx1) x [fy0, fy1).
    void copyRectB(imageFile* source, int x0, int y0, int x1, int y1, float fx0, float fy0, float fx1,
                   float fy1);
    // Writes (r, g, b, a) to the rectangle x0..x1, y0..y1 (inclusive, clipped).
    void rectFill(int x0, int y0, int x1, int y1, float r, float g, float b, float a);
    // Four channels: colour divided by alpha; alpha 0 gives (1, 1, 1, 0).
    void unpremult();
    // Pastes the source with its corner at (x, y), clipped.
    void copy(imageFile* source, int x, int y);
    // index[0..3] = 255, then per letter the channel it names (8-bit images only). Returns 0.
    int prepMask(char const* letters, float const* values, unsigned mask, unsigned char* index);

    // SGI files (data/sgiLoader.cpp). readSGI takes a reader placed just after the magic.
    int readSGI(CmemoryIO& in, bool loadPixels);
    int saveSGI(char const* path);

    // Uncompressed TIFF, whole or in bands of the row window (data/tiffWriter.cpp).
    int saveTIFF(char const* path, int compression);
    int startSaveTIFF(char const* path, int compression);
    void writeBuffer(int lines);
    int endSaveTIFF();
    static void writeTIF_IFD(std::ostream& out, std::streamoff& entryOffset, uint16_t tag, uint16_t type,
                             unsigned long count, unsigned long value);

    // Big-endian stream helpers; a failed read gives 0.
    static void writeByte(std::ostream& out, unsigned value);
    static void writeShort(std::ostream& out, unsigned value);
    static void writeLong(std::ostream& out, unsigned long value);
    static int readByte(std::istream& in);
    static int readShort(std::istream& in);
    static int readUShort(std::istream& in);
    static uint32_t readULong(std::istream& in);

    Cstring name;
    char format[8];
    std::ofstream tiffOut;
    uint16_t width;
    uint16_t height;
    uint16_t channels;
    uint16_t bytesPerChannel;
    uint16_t rowCount;
    uint16_t bufferLine;
    unsigned pixelType;
    uint16_t forcedChannels;
    unsigned char** scanLines;
    uint64_t* writeOffset;
    bool stolen;
    int32_t maxWidth;
    int32_t maxHeight;
    int32_t sizeReducerX;
    int32_t sizeReducerY;

  private:
    void releasePixels();
    unsigned char* pixelBlock = nullptr; // the block this image allocated, if any
};
