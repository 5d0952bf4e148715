// Loading files into shared data arrays: images (with their colour-plus-alpha
// substitutes) and array files.
#include <cstring>
#include <fstream>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "data/imageIO.h"
#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

uint32_t littleShort(unsigned char const* b) {
    return b[0] | uint32_t(b[1]) << 8;
}

} // namespace

int loadRGBA(imageFile& img, Cstring colourFile, Cstring alphaFile) {
    if (!img.loadImage(colourFile.c_str(), true)) return 1;
    if (img.width == 0) {
        // Nothing to texture with; the caller treats it as a file that did not load.
        setExitError("bad image width!", 1);
        return 1;
    }
    imageFile alpha;
    // An alpha smaller than the colour cannot cover it: the picture stays opaque.
    if (alpha.loadImage(alphaFile.c_str(), true) && alpha.width >= img.width && alpha.height >= img.height &&
        alpha.pixelType == PIXEL_8BIT && img.channels == 4) {
        img.channelCopy(3, &alpha, 0);
        return 0;
    }
    VTRACE(2, "no usable alpha " << alphaFile << ", opaque");
    float const opaque[4] = {1, 1, 1, 1};
    img.fill("a", opaque, 0);
    return 0;
}

int loadSGI(imageFile& img, Cstring const& path, int chans) {
    // Set before every attempt: a failed load may have used up forcedChannels.
    auto prepare = [&] {
        img.forcedChannels = static_cast<uint16_t>(chans == -1 ? 65535 : chans);
        img.maxWidth = maxTexWidth;
        img.maxHeight = maxTexHeight;
        img.sizeReducerX = globalImageSizeReducerX;
        img.sizeReducerY = globalImageSizeReducerY;
    };
    auto load = [&](Cstring const& file) {
        prepare();
        return img.loadImage(file.c_str(), true) != 0;
    };
    Cstring suffix(path);
    justSuffix(suffix);
    bool rgb = suffix == "rgb";
    if (rgb && load(path)) return 0;

    Cstring base(path);
    noSuffix(base);
    Cstring colour = base + ".jpg";
    Cstring alpha = base + ".alpha";
    bool ok;
    switch (chans) {
    case 3:
        ok = load(rgb ? path : colour);
        break;
    case 4:
        prepare();
        ok = rgb ? load(path) : loadRGBA(img, colour, alpha) == 0;
        break;
    case 1:
        ok = load(alpha);
        break;
    default:
        ok = load(path);
        break;
    }
    return ok ? 0 : 1;
}

int imageIOtoDataArray(CdataArray& a, imageFile& img) {
    if (size_t(img.width) * img.height == 0 || !img.hasPixels()) {
        setExitError("imageIOtoDataArray - tried to copy image of zero size", 1);
        return 1;
    }
    // The array reads bytes; a whole image must be held for its block to be adopted.
    if ((img.pixelType != PIXEL_8BIT && !img.convert(PIXEL_8BIT)) || img.rowCount != img.height) return 1;
    unsigned char* block = img.letPixelsBeStolen();
    if (block == nullptr) return 1;
    a.res[0] = img.width;
    a.res[1] = img.height;
    a.res[2] = 1;
    a.dataType = 1;
    a.chans = static_cast<short>(img.channels);
    for (int d = 0; d < 3; d++)
        a.setDimensionSpace(d, 0.0f, 1.0f);
    a.setStolenData(block);
    a.chanFormat = img.format;
    return 0;
}

bool isImageFileName(Cstring const& path) {
    Cstring suffix(path);
    justSuffix(suffix);
    return suffix == "sgi" || suffix == "rgb" || suffix == "alpha";
}

int loadDataArrayWrapper(CdataArray* a, Cstring& path, int chans) {
    if (a == nullptr) return 1;
    if (isImageFileName(path)) {
        imageFile img;
        if (loadSGI(img, path, chans) != 0) return 1;
        if (imageIOtoDataArray(*a, img) != 0) return 1;
        a->setName(path);
        return 0;
    }
    return a->load(path.c_str()) != 0 ? 1 : 0;
}

int dataArrayFileDims(char const* path) {
    std::ifstream in;
    if (path == nullptr || !file_open(in, path, 0)) return 0;
    unsigned char head[6];
    in.read(reinterpret_cast<char*>(head), 6);
    int dims = 0;
    if (in.gcount() >= 4 && std::memcmp(head, "VOXL", 4) == 0) {
        dims = 3;
    } else if (in.gcount() == 6 && std::memcmp(head, "AAC0", 4) == 0) {
        in.seekg(littleShort(head + 4), std::ios::cur);
        int d = in.get();
        if (d >= 1 && d <= 3) dims = d;
    }
    file_close(in);
    return dims;
}
