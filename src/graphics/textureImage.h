// A texture: a data-array reference whose array the graphics device uploads.
#pragma once

#include <cstdint>

#include "data/dataArrayManager.h"

class CtextureImage : public CdataArrayReference {
  public:
    int getType() override { return TYPE_TEXTURE_IMAGE; }

    // The texture name each display index made of this image; 0 until made. Devices reach
    // it only through CgraphicsAPI::textureHandle and setTextureHandle.
    uint32_t deviceTextures[9] = {};
};
