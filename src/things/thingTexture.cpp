// Custom textures a thing builds from its species' image scripts, and power-of-two
// canvases for them.
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/textureImage.h"
#include "graphics/workObject.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "things/thing.h"
#include "world/thingServices.h"

namespace {

// Largest canvas a texture may grow to.
constexpr int kMaxPowerWidth = 17000;
constexpr int kMaxPowerHeight = 170000;

// The smallest power of two at least max(n, 1), or 0 when it would reach limit.
int powerOfTwoAtLeast(int n, int limit) {
    long long p = 1;
    while (p < n)
        p *= 2;
    return p < limit ? static_cast<int>(p) : 0;
}

} // namespace

CdataArrayReference* Cthing::buildCustomTex(Cstring const& path) {
    setVerbose(1, "bct");
    Cstring texName = path;
    noPath(texName);
    // The texture of that name goes once the new one is built: a rebuild that fails (a
    // picture that does not load) leaves the thing as it was, drawable.
    Cvariable* previous = customTextures->getChild(texName.c_str());
    if (previous) previous->unhook();
    CtextureImage* texture = requestTexMap("", "", 0);
    texture->setName(texName);
    customTextures->addVariable(texture);

    // An empty path would name the species itself.
    Cvariable* script = species && path.size() > 0 ? species->findVariable(path.c_str()) : nullptr;
    if (script == nullptr) {
        if (previous) deleteVariable(previous);
        setExitError("custom tex script not found", 1);
        return texture;
    }
    customTextureFailed = 0;
    texture->setDiskPath(getDiskPath());
    texture->preScript();
    if (runScript(texture, script) != 0) {
        VTRACE(1, "buildCustomTex failed");
        customTextureFailed = 1;
        deleteVariable(texture);
        if (previous) customTextures->addVariable(previous);
        return nullptr;
    }
    if (previous) deleteVariable(previous);
    customTextureFailed = 0;
    texture->postScript();
    if (texture->array) notifyOfCustomTexSize(texture->array);
    return texture;
}

int Cthing::powerizeImageAndUVs(CdataArray* image, short, float* out) {
    if (image == nullptr) return 1;
    int w = image->res[0];
    int h = image->res[1];
    int nw = powerOfTwoAtLeast(w, kMaxPowerWidth);
    int nh = powerOfTwoAtLeast(h, kMaxPowerHeight);
    if (nw == 0 || nh == 0) {
        // Reported and refused: a texture this large is bad data, not a reason to end the run.
        setExitError("piauv", 1);
        return 1;
    }
    float su = 1.0f;
    float sv = 1.0f;
    if (w != nw || h != nh) {
        su = static_cast<float>(w) / static_cast<float>(nw);
        sv = static_cast<float>(h) / static_cast<float>(nh);
        if (image->newCanvasSize(nw, nh, 1) != 0) return 1;
    }
    // The quads' u runs 0..1 across the picture: it maps onto the picture's own columns from
    // the first texel's centre, and never onto the padding. (Offset by su, a whole wrap of
    // the repeating texture only when the picture already is a power of two wide.)
    float uv[4] = {0.5f / static_cast<float>(nw), su + 0.5f / static_cast<float>(nw),
                   -0.5f / static_cast<float>(nh), sv - 0.5f / static_cast<float>(nh)};
    if (workObject) {
        workObject->mathOnAttribFromOriginalValues("uv", 0, uv[0], uv[1]);
        workObject->mathOnAttribFromOriginalValues("uv", 1, uv[2], uv[3]);
    }
    if (out)
        for (int i = 0; i < 4; i++)
            out[i] = uv[i];
    return 0;
}
