// The tank's backdrop picture: a quad behind the scene whose texture comes from the
// tank's script. The picture fills the backdrop area in one direction and can be panned
// in the other by the tank's "backdrop_ishift".
#pragma once

#include "things/basicDeformThing.h"

class CbackdropThing : public CbasicDeformThing {
  public:
    CbackdropThing();
    // Places and sizes the quad from the tank's backdrop variables and pans the picture.
    // Gives 0.
    int update() override;
    void goFish(int) override;
    // Fits a newly built picture into the backdrop area.
    void notifyOfCustomTexSize(CdataArray* image) override;

    float width = 0.5f;
    float height = 1.0f;
    float shiftH = 0.0f;
    float shiftV = 0.0f;
    float scaleH = 1.0f;
    float scaleV = 1.0f;
    float panRange = 0.0f;
    uint16_t tall = 0;
    int32_t refreshCountdown = 0;
    int hasValidImage = 0;
    Cvector startPos;
};
