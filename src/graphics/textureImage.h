// A texture: a data-array reference whose array the graphics device uploads.
#pragma once

#include "data/dataArrayManager.h"

class CtextureImage : public CdataArrayReference {
  public:
    int getType() override { return TYPE_TEXTURE_IMAGE; }
};
