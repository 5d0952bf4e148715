// Texture images: counted holding and per-display device textures.
#include "graphics/textureImage.h"

#include <fstream>

#include "data/dataArray.h"
#include "support/cerr.h"

CtextureDevice* textureDisplays[TEXTURE_DISPLAY_SLOTS] = {};

CtextureImage::~CtextureImage() {
    VTRACE(2, "~CtextureImage " << static_cast<void const*>(this) << " " << name);
    freeGraphicsMem(nullptr);
}

void CtextureImage::writeSaveString(std::ostream& out) {
    out << ":texture " << static_cast<void const*>(this) << " " << name << " instances: ";
    if (array) out << array->referenceCount;
    out << "  da:" << static_cast<void const*>(array);
    if (array) out << " w=" << array->res[0] << " h=" << array->res[1] << " c=" << array->chans;
    out << "   dts: ";
    for (int i = 0; i < 8; i++)
        out << " " << static_cast<void const*>(deviceTextures[i]);
}

void CtextureImage::writeUnregisteredData(std::ostream&, int) {}

CdeviceTexture* CtextureImage::getTexture(CtextureDevice* device) {
    if (device == nullptr) return nullptr;
    int slot = device->textureSlotIndex();
    if (slot < 0 || slot >= TEXTURE_DISPLAY_SLOTS) {
        VTRACE(1, "texture asked for display " << slot);
        return nullptr;
    }
    if (deviceTextures[slot]) return deviceTextures[slot];
    if (array == nullptr) {
        setExitError("da=0", 1);
        return nullptr;
    }
    if (device->imageTotexMap(this, array) != 0) return nullptr;
    return deviceTextures[slot];
}

void CtextureImage::freeGraphicsMem(CtextureDevice* device) {
    if (device) {
        int slot = device->textureSlotIndex();
        if (slot >= 0 && slot < TEXTURE_DISPLAY_SLOTS && deviceTextures[slot]) device->freeTexture(this, 1);
        return;
    }
    for (CtextureDevice* d : textureDisplays) {
        if (d) d->freeTexture(this, 1);
    }
}

void setTexImage(CtextureImage** slot, CtextureImage* image) {
    if (slot == nullptr || *slot == image) return;
    if (CtextureImage* old = *slot) {
        *slot = nullptr;
        if (--old->refCount <= 0) delete old;
    }
    if (image) {
        *slot = image;
        // A held image outlives the tree it is filed in: the tree only unhooks it, and the
        // last holder destroys it.
        if (image->refCount++ == 0) image->flags |= VAR_NOT_DELETED_BY_PARENT;
    }
}

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
