#include "things/backdropThing.h"

#include "data/dataArray.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/thingServices.h"

CbackdropThing::CbackdropThing() {
    registerFloat(width, "brightness", 1);
    registerInt(hasValidImage, "hasValidImage", 1);
    registerFloat(startPos.x, "startPos", 1)->setNumElements(3);
}

namespace {

float tankFloat(CtankServices* tank, char const* name, float fallback) {
    return tank ? tank->tankValue(name, fallback) : fallback;
}

} // namespace

int CbackdropThing::update() {
    float ishift = tankFloat(tank, "backdrop_ishift", 0.0f);
    float scale = tankFloat(tank, "tankScale", 1.0f);
    if (jointCount > 0) {
        jointPositions[0] =
            Cvector(tankFloat(tank, "backdrop_xshift", 0.0f), tankFloat(tank, "backdrop_base", 0.0f),
                    tankFloat(tank, "backdrop_zpos", 0.0f)) *
            scale;
        // Mirrored in x: the quad faces the camera from behind the scene.
        Cmatrix3& m = jointMatrices[0];
        m.side = Cvector(-width * scale, 0.0f, 0.0f);
        m.up = Cvector(0.0f, height * scale, 0.0f);
        m.forward = Cvector(0.0f, 0.0f, scale);
    }
    float shiftAcross = tall ? 0.0f : panRange * (ishift - 0.5f);
    float shiftUp = tall ? ishift * panRange : 0.0f;
    if (workObject) {
        workObject->mathOnAttribFromOriginalValues("uv", 0, shiftH + shiftAcross, scaleH + shiftAcross);
        workObject->mathOnAttribFromOriginalValues("uv", 1, shiftV + shiftUp, scaleV + shiftUp);
        workObject->flagToUpdateStaticData();
    }
    return 0;
}

void CbackdropThing::goFish(int) {
    if (refreshCountdown > 0) {
        update();
        refreshCountdown--;
    }
    framesUpdated++;
}

void CbackdropThing::notifyOfCustomTexSize(CdataArray* image) {
    if (image == nullptr) return;
    // Its texture now comes from the tank's script, so the backdrop is not saved itself.
    setSave(0);
    int w = image->res[0];
    int h = image->res[1];
    if (w < 1 || h < 1) {
        VTRACE(1, name << ": backdrop picture without pixels");
        return;
    }
    float a = static_cast<float>(w) / static_cast<float>(h);
    float areaHeight = tankFloat(tank, "backdrop_top", 0.0f) - tankFloat(tank, "backdrop_base", 0.0f);
    float areaWidth;
    if (tankFloat(tank, "adaptiveWidth", 0.0f) != 0.0f) {
        areaWidth = areaHeight * a;
        tank->setTankValue("backdrop_width", areaWidth);
        tank->setTankValue("tankObjectsAspect", areaWidth);
        tank->recalcTankAspect();
    } else {
        areaWidth = tankFloat(tank, "backdrop_width", 0.0f);
    }
    refreshCountdown = 2;
    float uv[4];
    if (powerizeImageAndUVs(image, 0, uv) != 0) return;
    float du = uv[1] - uv[0];
    float dv = uv[3] - uv[2];
    // The last texel's centre: the picture ends half a texel inside its edge.
    float eu = static_cast<float>(w - 1) / static_cast<float>(w) * du;
    float ev = static_cast<float>(h - 1) / static_cast<float>(h) * dv;
    width = areaWidth;
    height = areaHeight;
    if (areaWidth <= 0.0f || areaHeight <= 0.0f) {
        VTRACE(1, name << ": backdrop area without size");
        return;
    }
    float r = areaWidth / areaHeight;
    shiftH = uv[0];
    scaleH = uv[0] + eu;
    if (a >= r) {
        tall = 0;
        shiftV = uv[2] + 1.0f / static_cast<float>(h);
        scaleV = shiftV + ev;
        panRange = (1.0f - r / a) * eu;
        // The quad keeps the area's width and shows the part of the picture that fits it at
        // the picture's own shape, its middle at "backdrop_ishift" 0.5: panning from 0 to 1
        // runs from the picture's left edge to its right one and never past them.
        shiftH = uv[0] + 0.5f * panRange;
        scaleH = shiftH + eu * (r / a);
    } else {
        tall = 1;
        shiftV = uv[2];
        scaleV = uv[2] + ev * (a / r);
        panRange = (1.0f - a / r) * ev;
    }
}
