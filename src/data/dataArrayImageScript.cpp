// Image scripts: the commands a texture runs to compose its picture from work images
// ("buffer", "fill", "comp", ...), and the hand-over of the last image to its array.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "data/imageIO.h"
#include "data/imageOps.h"
#include "support/cerr.h"
#include "support/fileIO.h"

CmanagedList<imageFile> images;
imageFile* lastImageAltered = nullptr;
ClineArguments lineArguments{};

namespace {

// The arguments of one image command.
class ImageLine {
  public:
    explicit ImageLine(CscriptLine& l) : line(l), tokens(lineArguments.count(l)) {}

    int count() const { return tokens; }
    Cstring raw(int i) const { return i >= 0 && i < tokens ? lineArguments.raw(line, i) : Cstring(); }
    bool is(int i, char const* text) const { return raw(i) == text; }
    double literal(int i) const { return std::atof(raw(i).c_str()); }
    double number(int i) const { return lineArguments.number(line, i); }
    Cstring text(int i) const { return lineArguments.text(line, i); }

  private:
    CscriptLine& line;
    int tokens;
};

// The integer part of v bounded to lo .. hi; NaN gives 0 (or lo when 0 is outside).
int intPart(double v, int lo, int hi) {
    if (!(v == v)) return lo > 0 ? lo : 0;
    if (v <= lo) return lo;
    if (v >= hi) return hi;
    return static_cast<int>(v);
}

void exitWith(char const* format, Cstring const& word) {
    char message[512];
    std::snprintf(message, sizeof message, format, word.c_str());
    setExitError(message, 1);
}

// A new work image limited to the device's texture size.
imageFile* newWorkImage(Cstring const& name, int forcedChannels) {
    imageFile* img = images.addForSure(name);
    img->maxWidth = maxTexWidth;
    img->maxHeight = maxTexHeight;
    img->forcedChannels = static_cast<uint16_t>(forcedChannels);
    return img;
}

unsigned bufferCommand(ImageLine& args, Cstring const& folder) {
    imageFile* img = newWorkImage("unnamed", 3);
    lastImageAltered = img;
    int w = 64, h = 64;
    bool permanent = false;
    Cstring file;
    for (int p = 0; p < args.count(); p += 2) {
        if (args.is(p, "-name")) images.names.back() = args.raw(p + 1);
        if (args.is(p, "-chans"))
            img->forcedChannels = static_cast<uint16_t>(intPart(args.literal(p + 1), 0, 65535));
        if (args.is(p, "-res")) {
            w = intPart(args.number(p + 1), 0, 65535);
            h = intPart(args.number(p + 2), 0, 65535);
            p++;
        }
        if (args.is(p, "-permanent")) {
            permanent = true;
            p--;
        }
        if (args.is(p, "-file")) file = buildPath(args.text(p + 1).c_str(), folder.c_str());
    }
    if (file.empty()) {
        if (permanent) setExitError("can't perm non load", 1);
        img->init(static_cast<uint16_t>(w), static_cast<uint16_t>(h), 3, PIXEL_8BIT, 0, 2);
        return CMD_DONE;
    }
    if (permanent) {
        CdataArray* a = requestDataArrayOrMake(file.c_str(), "", static_cast<short>(img->forcedChannels), 0);
        if (a == nullptr) {
            setExitError("nlp", 1);
            return CMD_STOP;
        }
        if (imageFileReferenceCopyOfDataArray(img, a) != 0) {
            exitWith("can't edit array %s as an image", file);
            return CMD_STOP;
        }
        return CMD_DONE;
    }
    Cstring suffix(file);
    justSuffix(suffix);
    if (suffix == "sgi" || suffix == "rgb")
        return loadSGI(*img, file, img->forcedChannels == 65535 ? -1 : img->forcedChannels) == 0 ? CMD_DONE
                                                                                                 : CMD_STOP;
    if (!img->loadImage(file.c_str(), true)) {
        VTRACE(2, "couldn't load image " << file);
        return CMD_STOP;
    }
    return CMD_DONE;
}

unsigned multCommand(ImageLine& args, CdataArray* array) {
    int n = args.count();
    float f[4] = {1, 1, 1, 1};
    if (array != nullptr && lastImageAltered == nullptr) {
        if (n == 4 || n == 3 || n == 1) {
            for (int c = 0; c < 3; c++)
                f[c] = static_cast<float>(args.number(n == 1 ? 0 : c));
            f[3] = n == 4 ? static_cast<float>(args.number(3)) : 1.0f;
        } else {
            setExitError("bad mult # values", 1);
        }
        if (!exitSaver) array->mult(f);
        return CMD_DONE;
    }
    imageFile* img = images.find(args.text(0));
    lastImageAltered = img;
    if (img == nullptr) {
        exitWith("bad img name %s", args.raw(0));
        return CMD_STOP;
    }
    if (n != 5 && n != 4 && n != 2) {
        setExitError("unknown mult", 1);
        return CMD_DONE;
    }
    for (int c = 0; c < 3; c++)
        f[c] = static_cast<float>(args.number(n == 2 ? 1 : c + 1));
    f[3] = n == 5 ? static_cast<float>(args.number(4)) : 1.0f;
    img->mult(f);
    return CMD_DONE;
}

unsigned displaceCommand(ImageLine& args) {
    imageFile *vectors = nullptr, *grab = nullptr, *target = nullptr;
    float contrast = 1, mult = 1, add = 0, bluePostAddMult = 2;
    float t[5] = {1, 1, 0, 0, 0};
    for (int p = 0; p < args.count(); p += 2) {
        if (args.is(p, "-vectors")) {
            vectors = images.find(args.raw(p + 1));
            if (target == nullptr) target = vectors;
        } else if (args.is(p, "-grab")) {
            grab = images.find(args.raw(p + 1));
        } else if (args.is(p, "-new")) {
            target = images.addForSure(args.raw(p + 1));
        } else if (args.is(p, "-to")) {
            target = images.find(args.raw(p + 1));
        } else if (args.is(p, "-contrast")) {
            contrast = static_cast<float>(args.number(p + 1));
        } else if (args.is(p, "-multadd")) {
            mult = static_cast<float>(args.number(p + 1));
            add = static_cast<float>(args.number(p + 2));
            p++;
        } else if (args.is(p, "-vectorTrans")) {
            for (int k = 0; k < 5; k++)
                t[k] = static_cast<float>(args.number(p + 1 + k));
            p += 4;
        } else if (args.is(p, "-bluePostAddMult")) {
            bluePostAddMult = static_cast<float>(args.number(p + 1));
        }
    }
    if (args.count() == 0 || !vectors || !grab || !target) {
        setExitError("comp does not have proper layers", 1);
        return CMD_DONE;
    }
    if (target->width == 0) {
        target->stolen = false;
        target->init(vectors->width, vectors->height, grab->channels, static_cast<uint16_t>(grab->pixelType),
                     0, 1);
        target->zero();
    }
    lastImageAltered = target;
    if (target->displace(vectors, grab, contrast, mult, add, t[0], t[1], t[2], t[3], t[4], bluePostAddMult) !=
        0) {
        setExitError("displ", 1);
        return CMD_STOP;
    }
    return CMD_DONE;
}

unsigned compCommand(ImageLine& args) {
    imageFile *top = nullptr, *bottom = nullptr, *mask = nullptr, *result = nullptr;
    int method = COMP_REPLACE, x = 0, y = 0, chans = 10, edge = 0;
    float mult = 1, add = 0;
    for (int p = 0; p < args.count(); p += 2) {
        Cstring option = args.raw(p);
        if (option == "-top") {
            top = images.find(args.raw(p + 1));
            if (result && top && (top->width != result->width || top->height != result->height))
                setExitError("comp err: imgs must be same size", 1);
        } else if (option == "-bottom") {
            bottom = images.find(args.raw(p + 1));
            if (result == nullptr) {
                result = bottom;
            } else if (bottom != nullptr) {
                result->stolen = false; // a borrowed block is let go, not resized
                result->init(bottom->width, bottom->height, bottom->channels,
                             static_cast<uint16_t>(bottom->pixelType), 0, 1);
                result->zero();
            }
        } else if (option == "-mask") {
            mask = images.find(args.raw(p + 1));
        } else if (option == "-new") {
            result = images.addForSure(args.raw(p + 1));
        } else if (option == "-method") {
            method = compMethodCode(args.raw(p + 1).c_str());
            if (method < 0) {
                exitWith("unknown comp method %s", args.raw(p + 1));
                return CMD_NOT_HANDLED;
            }
        } else if (option == "-multadd") {
            mult = static_cast<float>(args.number(p + 1));
            add = static_cast<float>(args.number(p + 2));
            p++;
        } else if (option == "-edge") {
            edge = 1;
        } else if (option == "-pos") {
            x = intPart(args.number(p + 1), -32768, 32767);
            y = intPart(args.number(p + 2), -32768, 32767);
            p++;
        } else if (option == "-chans") {
            chans = intPart(args.number(p + 1), -32768, 32767);
        } else {
            VTRACE(1, "unknown token " << option);
        }
    }
    if (args.count() == 0 || !top || !bottom || !result) {
        setExitError("comp does not have proper layers", 1);
        return CMD_DONE;
    }
    lastImageAltered = result;
    if (result->comp(bottom, top, mask, static_cast<short>(chans), static_cast<short>(method), 15,
                     static_cast<short>(edge), static_cast<short>(x), static_cast<short>(y), mult,
                     add) != 0) {
        setExitError("comp", 1);
        return CMD_STOP;
    }
    return CMD_DONE;
}

} // namespace

Cstring buildPath(char const* name, char const* folder) {
    if (name == nullptr) name = "";
    if (name[0] == '@' || name[0] == '/') return Cstring(name + 1);
    if (name[0] != '\0' && name[1] == ':') return Cstring(name);
    return Cstring(folder ? folder : "") + Cstring(name[0] == '!' ? name + 1 : name);
}

int imageFileReferenceCopyOfDataArray(imageFile* img, CdataArray* a) {
    if (img == nullptr || a == nullptr) return 1;
    unsigned char* buffer = a->dataType == 4 ? reinterpret_cast<unsigned char*>(a->floatData) : a->byteData;
    bool fits = buffer != nullptr && a->res[0] > 0 && a->res[1] > 0 && a->res[0] <= 65535 &&
                a->res[1] <= 65535 && a->chans >= 1 && a->chans <= 4 &&
                static_cast<long long>(a->res[0]) * a->res[1] * a->chans <= a->numElements;
    img->freeImage();
    if (!fits) return 1;
    img->stolen = true;
    img->forcedChannels = 65535;
    img->maxWidth = img->maxHeight = 65536;
    if (!img->init(static_cast<uint16_t>(a->res[0]), static_cast<uint16_t>(a->res[1]),
                   static_cast<uint16_t>(a->chans), a->dataType == 4 ? PIXEL_FLOAT : PIXEL_8BIT, 0, 1)) {
        img->freeImage();
        return 1;
    }
    img->scanLines[0] = buffer;
    img->setScanLinesPointers();
    return 0;
}

int commandize(CscriptLine& line, std::vector<Cstring>& words, std::vector<int>& positions) {
    int n = lineArguments.count ? lineArguments.count(line) : 0;
    for (int i = 0; i < n; i++) {
        Cstring token = lineArguments.raw(line, i);
        if (token.size() >= 2 && token[0] == '-' && token[1] >= 'a' && token[1] <= 'z') {
            words.push_back(token.substr(1, token.size() - 1));
            positions.push_back(i + 1);
        }
    }
    return 0;
}

void CdataArrayReference::preScript() {
    lastImageAltered = nullptr;
    images.clear();
    if (array == nullptr) allocateDataArray();
    path = getDiskPath() + "/";
}

void CdataArrayReference::postScript() {
    if (exitSaver || lastImageAltered == nullptr || array == nullptr) return;
    imageIOtoDataArray(*array, *lastImageAltered);
}

unsigned CdataArrayReference::processCommand(CscriptHandler* handler, CscriptLine& line) {
    if (lineArguments.word == nullptr) return Cvariable::processCommand(handler, line);
    Cstring word = lineArguments.word(line);
    ImageLine args(line);
    if (word == "buffer") return bufferCommand(args, path);
    if (word == "simpleRamp") {
        lastImageAltered = images.find(args.raw(0));
        if (lastImageAltered && lastImageAltered->simpleRamp(0) != 0) setExitError("fillErr", 1);
        return CMD_DONE;
    }
    if (word == "fill") {
        imageFile* img = lastImageAltered = images.find(args.raw(0));
        if (img == nullptr) {
            setExitError("couldn't find comp image name!", 1);
            return CMD_STOP;
        }
        // One value per letter, at most four; values beyond them are ignored.
        Cstring letters = args.raw(1);
        int n = letters.size() < 4 ? letters.size() : 4;
        float values[4] = {0, 0, 0, 0};
        for (int i = 0; i < n; i++)
            values[i] = static_cast<float>(args.number(2 + i));
        if (img->fill(letters.substr(0, n).c_str(), values, 0) != 0) setExitError("fillErr", 1);
        return CMD_DONE;
    }
    if (word == "mult") return multCommand(args, array);
    if (word == "downRes") {
        int mode = intPart(args.number(2), -32768, 32767);
        if (mode == 0) return CMD_DONE;
        imageFile* dest = images.addForSure(args.raw(0));
        imageFile* src = images.find(args.raw(1));
        if (src == nullptr) {
            setExitError("scaleimg not found", 1);
            return CMD_DONE;
        }
        lastImageAltered = dest;
        dest->downRes(src, static_cast<short>(mode & 1), mode > 1 ? 1 : 0);
        return CMD_DONE;
    }
    if (word == "makeResized") {
        imageFile* dest = lastImageAltered = images.addForSure(args.raw(0));
        imageFile* src = images.find(args.raw(1));
        imageFile* size = images.find(args.raw(2));
        if (src == nullptr || size == nullptr) {
            setExitError("makeResized error", 1);
            return CMD_STOP;
        }
        if (dest->resize(src, size->width, size->height) != 0) {
            setExitError("resize failed", 1);
            return CMD_STOP;
        }
        return CMD_DONE;
    }
    if (word == "add") {
        imageFile* a = lastImageAltered = images.find(args.raw(0));
        imageFile* b = images.find(args.raw(1));
        if (a == nullptr || b == nullptr) {
            setExitError("addImage error", 1);
            return CMD_STOP;
        }
        // Channels without a weight get 0 (they are left as they are).
        float weights[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4 && 2 + i < args.count(); i++)
            weights[i] = static_cast<float>(args.literal(2 + i));
        if (a->addImage(b, weights) != 0) {
            setExitError("addimage failed", 1);
            return CMD_STOP;
        }
        return CMD_DONE;
    }
    if (word == "replaceAlpha") {
        imageFile* a = lastImageAltered = images.find(args.raw(0));
        imageFile* b = images.find(args.raw(1));
        if (a == nullptr || b == nullptr) {
            setExitError("replaceAlpha error", 1);
            return CMD_STOP;
        }
        a->channelCopy(3, b, 0);
        return CMD_DONE;
    }
    if (word == "loadRGBA") {
        imageFile* img = lastImageAltered = newWorkImage("unnamed", 4);
        return loadRGBA(*img, path + args.raw(0), path + args.raw(1)) == 0 ? CMD_DONE : CMD_STOP;
    }
    if (word == "displace") return displaceCommand(args);
    if (word == "comp") return compCommand(args);
    if (parent == nullptr) return CMD_STOP;
    return parent->processCommand(handler, line);
}
