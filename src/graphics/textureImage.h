// Texture images: image data arrays used as textures, with one device texture per display.
//
// Images are made and shared by name through requestTexMap; holders (texture stages, the
// interface) keep them through counted slots assigned only with setTexImage, and the last
// holder to let go destroys the image. A display device makes its texture of an image the
// first time it draws with it and frees it again; this class only keeps the handles.
#pragma once

#include <cstdint>

#include "data/dataArrayManager.h"

class CdataArray;
class CdeviceTexture;
class CtextureImage;

// Displays (and so device texture slots per image).
constexpr int TEXTURE_DISPLAY_SLOTS = 9;

// What an image needs of a display device; the graphics device implements it.
class CtextureDevice {
  public:
    virtual ~CtextureDevice() = default;
    // The display index, which selects the image's device texture slot (0 to 8).
    virtual int16_t textureSlotIndex() = 0;
    // Makes the device texture of image from its array and stores it in the image's slot
    // for this display. 0 made; non-zero failed (the slot stays empty).
    virtual int imageTotexMap(CtextureImage* image, CdataArray* array) = 0;
    // Frees this display's texture of image, if any; remove also drops it from the
    // device's own list.
    virtual void freeTexture(CtextureImage* image, int remove) = 0;
};

// The devices of the current displays (null where none); filled by whoever adds and
// removes displays. A dying image frees its textures on each of them.
extern CtextureDevice* textureDisplays[TEXTURE_DISPLAY_SLOTS];

class CtextureImage : public CdataArrayReference {
  public:
    CtextureImage() = default;
    // Frees the image's textures on every display, then releases the array.
    ~CtextureImage() override;
    void writeSaveString(std::ostream& out) override;
    void writeUnregisteredData(std::ostream& out, int indent) override;
    int getType() override { return TYPE_TEXTURE_IMAGE; }

    // This display's device texture, made on first use. Null when the device cannot make
    // it (asked again next time) or, recorded as "da=0", when the image has no array.
    CdeviceTexture* getTexture(CtextureDevice* device);
    // Frees the texture device made of this image; null: the textures of every display.
    void freeGraphicsMem(CtextureDevice* device);

    int32_t refCount = 0;
    uint16_t kind = 1; // 1 plain image; 2 after a stage's "volumeRes"
    uint16_t volumeRes = 0;
    CdeviceTexture* deviceTextures[TEXTURE_DISPLAY_SLOTS] = {};
};

// The only way a holder assigns an image: the slot's old image loses a count (and is
// destroyed at 0), the new one gains one. Assigning what the slot holds changes nothing.
void setTexImage(CtextureImage** slot, CtextureImage* image);

// The shared texture named name; an empty name gives a new unbound texture in no tree.
// Null when not found, or (recorded) when the array is not held by a texture.
CtextureImage* requestTexMap(char const* name, char const* folder, int chans);
