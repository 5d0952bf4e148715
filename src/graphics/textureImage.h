// A texture: a data-array reference whose array the graphics device uploads.
#pragma once

#include "data/dataArrayManager.h"

class CtextureImage : public CdataArrayReference {
  public:
    int getType() override { return TYPE_TEXTURE_IMAGE; }
};

// The shared texture named name; an empty name gives a new unbound texture in no tree.
// Null when not found, or (recorded) when the array is not held by a texture.
CtextureImage* requestTexMap(char const* name, char const* folder, int chans);
