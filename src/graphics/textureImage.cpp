#include "graphics/textureImage.h"

#include "data/dataArray.h"
#include "support/cerr.h"

namespace {
CdataArrayReference* makeTextureImage() {
    return new CtextureImage;
}
} // namespace

CtextureImage* requestTexMap(char const* name, char const* folder, int chans) {
    if (name == nullptr || name[0] == '\0') return new CtextureImage;
    CdataArray* a = requestDataArrayOrMake(name, folder, static_cast<short>(chans), makeTextureImage);
    if (a == nullptr || a->parent == nullptr) return nullptr;
    if (auto* texture = dynamic_cast<CtextureImage*>(a->parent)) return texture;
    setExitError("requestTexMap didn't return texture", 1);
    return nullptr;
}
