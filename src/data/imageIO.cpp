#include "data/imageIO.h"

#include <cstring>
#include <new>
#include <vector>

#include "data/dataArray.h"
#include "data/imageSource.h"
#include "host/hostServices.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/memoryIO.h"
#include "support/resourceCopy.h"

const uint16_t imagePixelTypeBytes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

static const uint16_t sgiMagic = 474;

imageFile::imageFile() {
    init();
}

imageFile::imageFile(char const* path) {
    init();
    loadImage(path, true);
}

imageFile::imageFile(uint16_t w, uint16_t h, uint16_t c, uint16_t type, uint16_t rows, int mode) {
    init();
    init(w, h, c, type, rows, mode);
}

imageFile::~imageFile() {
    freeImage();
    if (tiffOut.is_open()) tiffOut.close();
}

void imageFile::init() {
    name = "";
    format[0] = 0;
    width = height = channels = rowCount = 0;
    bytesPerChannel = 0;
    bufferLine = 0;
    pixelType = 0;
    forcedChannels = 65535;
    scanLines = nullptr;
    writeOffset = nullptr;
    stolen = false;
    maxWidth = maxHeight = 65536;
    sizeReducerX = sizeReducerY = 1;
    pixelBlock = nullptr;
}

// Drops the row tables and the block this image allocated; `stolen` is left alone so a
// caller that is about to place a borrowed block keeps its promise.
void imageFile::releasePixels() {
    delete[] pixelBlock;
    pixelBlock = nullptr;
    delete[] scanLines;
    scanLines = nullptr;
    delete[] writeOffset;
    writeOffset = nullptr;
}

int imageFile::init(uint16_t w, uint16_t h, uint16_t c, uint16_t type, uint16_t rows, int mode) {
    width = static_cast<uint16_t>(maxWidth < 0 ? 0 : (w < maxWidth ? w : maxWidth));
    height = static_cast<uint16_t>(maxHeight < 0 ? 0 : (h < maxHeight ? h : maxHeight));
    if (forcedChannels < 65535) {
        c = forcedChannels;
        forcedChannels = 65535;
    }
    channels = c;
    static const char letters[5][5] = {"", "a", "ra", "rgb", "rgba"};
    std::strcpy(format, c <= 4 ? letters[c] : "");
    pixelType = type;
    bytesPerChannel = type < 13 ? imagePixelTypeBytes[type] : 0;
    rowCount = rows ? rows : height;
    bufferLine = 0;
    if (mode < 0) return 1;
    releasePixels();
    if (mode == 0) return 1;
    // Modes 1 and 2 both hand out a cleared block, so no pixel is ever read uninitialised.
    if (c < 1 || c > 4 || bytesPerChannel == 0 || rowCount > height) return 0;
    size_t bytes = stride() * height;
    if (bytes > maxImageBytes) {
        VTRACE(1, "image too large: " << width << "x" << height << "x" << channels);
        return 0;
    }
    writeOffset = new (std::nothrow) uint64_t[height ? height : 1]();
    scanLines = new (std::nothrow) unsigned char*[rowCount ? rowCount : 1]();
    if (!stolen) pixelBlock = new (std::nothrow) unsigned char[bytes ? bytes : 1]();
    if (!writeOffset || !scanLines || (!stolen && !pixelBlock)) {
        releasePixels();
        return 0;
    }
    if (!stolen)
        for (size_t i = 0; i < rowCount; i++)
            scanLines[i] = pixelBlock + i * stride();
    return 1;
}

void imageFile::setScanLinesPointers() {
    if (!scanLines) return;
    for (size_t i = 1; i < rowCount; i++)
        scanLines[i] = scanLines[0] + i * stride();
}

unsigned char* imageFile::letPixelsBeStolen() {
    unsigned char* block = pixelBlock;
    if (block == nullptr) return nullptr;
    pixelBlock = nullptr;
    stolen = true;
    return block;
}

void imageFile::freeImage() {
    if (scanLines) {
        if (stolen) VTRACE(2, "not freeing imageFile data - it was stolen");
        if (!writeOffset) setExitError("weird, writeOffset should have been set", 1);
    }
    releasePixels();
    stolen = false;
    width = height = 0;
}

int imageFile::loadImage(char const* path, bool loadPixels) {
    if (!path) return 0;
    // A picture of the resource copy that cannot be read is copied again and read once more.
    int result = 0;
    loadRenewingCopy([&] { return (result = loadImageOnce(path, loadPixels)) != 0; });
    return result;
}

int imageFile::loadImageOnce(char const* path, bool loadPixels) {
    Cstring suffix(path);
    justSuffix(suffix);
    toUpper(suffix);
    if (suffix == "SGI" || suffix == "RGB" || suffix == "ALPHA") {
        std::vector<unsigned char> bytes;
        if (!readImageFileBytes(path, bytes, 0) || bytes.empty()) {
            VTRACE(1, "ERROR! - couldn't open [" << path << "]");
            return 0;
        }
        CmemoryIO in;
        in.setStartAndSize(reinterpret_cast<char*>(bytes.data()), static_cast<int>(bytes.size()));
        if (in.readUShort() != sgiMagic || in.failed()) return 0;
        return readSGI(in, loadPixels);
    }
    static const char* const decoded[] = {"JPG", "GIF", "FTI", "BMP", "JPEG", "TIF", "TIFF", "PNG"};
    for (char const* s : decoded) {
        if (suffix != s) continue;
        Cstring source(path);
        if (suffix == "JPG" && imageCheckDiskAlways()) {
            Cstring fti = Cstring(path).substr(0, source.size() - 3) + "fti";
            if (fileExists(fti)) source = fti;
        }
        return OS::loadImageFile(*this, source);
    }
    return 0;
}

unsigned char* imageFile::getPixelAddress(int x, int y) {
    if (!scanLines || y < 0 || y >= rowCount || !scanLines[y]) {
        setExitError("bad pixaddy", 1);
        return nullptr;
    }
    return scanLines[y] + size_t(x) * channels * bytesPerChannel;
}

// 8-bit results saturate: 0.999 and above is 255, negative values are 0.
static uint8_t floatToByte(float v) {
    if (v >= 0.999f) return 255;
    if (!(v > 0.0f)) return 0;
    return static_cast<uint8_t>(static_cast<int>(v * 255.001));
}

int imageFile::convert(uint16_t newType) {
    if (pixelType == newType) return 1;
    bool known = (pixelType == PIXEL_8BIT || pixelType == PIXEL_FLOAT) &&
                 (newType == PIXEL_8BIT || newType == PIXEL_FLOAT);
    if (!known || !scanLines) return 0;
    uint16_t newBytes = imagePixelTypeBytes[newType];
    size_t newStride = size_t(width) * channels * newBytes;
    size_t bytes = newStride * height;
    if (bytes > maxImageBytes) return 0;
    unsigned char* block = new (std::nothrow) unsigned char[bytes ? bytes : 1]();
    if (!block) return 0;
    for (size_t y = 0; y < rowCount; y++) {
        unsigned char* src = scanLines[y];
        unsigned char* dst = block + y * newStride;
        for (size_t i = 0; i < size_t(width) * channels; i++) {
            float v;
            if (pixelType == PIXEL_8BIT)
                v = src[i] * (1.0f / 255.0f);
            else
                std::memcpy(&v, src + 4 * i, 4);
            if (newType == PIXEL_8BIT)
                dst[i] = floatToByte(v);
            else
                std::memcpy(dst + 4 * i, &v, 4);
        }
    }
    for (size_t y = 0; y < rowCount; y++)
        scanLines[y] = block + y * newStride;
    delete[] pixelBlock;
    pixelBlock = block;
    stolen = false;
    pixelType = newType;
    bytesPerChannel = newBytes;
    return 1;
}

void imageFile::writeByte(std::ostream& out, unsigned value) {
    out.put(static_cast<char>(value & 0xFF));
}

void imageFile::writeShort(std::ostream& out, unsigned value) {
    char b[2] = {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
    out.write(b, 2);
}

void imageFile::writeLong(std::ostream& out, unsigned long value) {
    char b[4] = {static_cast<char>((value >> 24) & 0xFF), static_cast<char>((value >> 16) & 0xFF),
                 static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
    out.write(b, 4);
}

// The readers are the data-array file's own big-endian stream readers.
int imageFile::readByte(std::istream& in) {
    return ::readByte(in);
}

int imageFile::readUShort(std::istream& in) {
    return ::readUShort(in);
}

int imageFile::readShort(std::istream& in) {
    return ::readShort(in);
}

uint32_t imageFile::readULong(std::istream& in) {
    return static_cast<uint32_t>(::readULong(in));
}
