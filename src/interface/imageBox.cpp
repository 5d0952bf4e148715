#include "interface/imageBox.h"

#include <cmath>
#include <ostream>

#include "graphics/material.h"
#include "graphics/polyGroups.h"
#include "graphics/textureImage.h"
#include "graphics/textureStage.h"
#include "interface/widget.h"
#include "support/rect.h"

namespace {

CtextureStage* stageOf(CrenderPolyGroup* group) {
    Cmaterial* material = group && group->set ? group->set->material : nullptr;
    return material ? material->getStage(0) : nullptr;
}

} // namespace

CimageBoxVar::CimageBoxVar() {
    flags |= VAR_NOT_DELETED_BY_PARENT;
}

CimageBoxVar::~CimageBoxVar() {
    if (CtextureStage* stage = stageOf(polyGroup)) setTexImage(&stage->tex, ownTexture);
    setTexImage(&ownTexture, nullptr);
}

void CimageBoxVar::keepOwnTexture() {
    setTexImage(&ownTexture, texture());
}

void CimageBoxVar::writeConfigString(std::ostream& out) {
    writeSaveString(out);
}

void CimageBoxVar::writeSaveString(std::ostream& out) {
    out << ":imagebox " << name.c_str();
}

void CimageBoxVar::showQuad(bool on) {
    if (polyGroup) polyGroup->displayed = on ? 1 : 0;
}

bool CimageBoxVar::quadShown() const {
    return polyGroup && polyGroup->displayed;
}

void CimageBoxVar::clear() {
    setTexture(nullptr);
    owner = nullptr;
    uvSet = 0;
}

void CimageBoxVar::setBoxDisplayed(bool on) {
    bool shown = on && owner != nullptr;
    if (shown) {
        showQuad(owner->showIt != 0);
        flags |= WIDGET_DISPLAYED;
    } else {
        showQuad(false);
        flags &= ~WIDGET_DISPLAYED;
    }
}

CtextureImage* CimageBoxVar::texture() const {
    CtextureStage* stage = stageOf(polyGroup);
    return stage ? stage->tex : nullptr;
}

void CimageBoxVar::setTexture(CtextureImage* image) {
    CtextureStage* stage = stageOf(polyGroup);
    if (image == nullptr) {
        setBoxDisplayed(false);
        if (available && stage) setTexImage(&stage->tex, ownTexture);
        return;
    }
    if (stage) setTexImage(&stage->tex, image);
    setBoxDisplayed(true);
}

void CimageBoxVar::setPosition(Crect const& r, float depthOffset) {
    float z = (quadDepth ? *quadDepth : 0.0f) - depthOffset;
    float const xy[4][2] = {{r.minx, r.miny}, {r.maxx, r.miny}, {r.minx, r.maxy}, {r.maxx, r.maxy}};
    for (int c = 0; c < 4; c++)
        if (float* p = corners[c]) p[0] = xy[c][0], p[1] = xy[c][1], p[2] = z;
}

void CimageBoxVar::setPositionClipped(Crect const& r, float clipMinY, float clipMaxY) {
    Crect cut = r;
    float h = r.maxy - r.miny;
    float bottom = 0.0f, top = 1.0f; // the kept part of the height
    if (h > 0.0f) {
        if (cut.miny < clipMinY) bottom = (clipMinY - r.miny) / h, cut.miny = clipMinY;
        if (cut.maxy > clipMaxY) top = (clipMaxY - r.miny) / h, cut.maxy = clipMaxY;
        if (cut.maxy < cut.miny) cut.maxy = cut.miny, top = bottom;
    }
    setPosition(cut, 0.0f);
    // v along the kept part: corners 0 and 1 are the bottom, 2 and 3 the top.
    float uv[4][2];
    for (int c = 0; c < 4; c++) {
        float v0 = baseUV[c & 1][1], v1 = baseUV[2 + (c & 1)][1];
        float t = c < 2 ? bottom : top;
        uv[c][0] = baseUV[c][0];
        uv[c][1] = v0 + (v1 - v0) * t;
    }
    writeUVs(uv);
}

void CimageBoxVar::setColor(float r, float g, float b, float a, float r2, float g2, float b2) {
    bool reserved = boxNumber <= 2;
    for (int c = 0; c < 4; c++) {
        float* out = colours[c];
        if (out == nullptr) continue;
        bool lower = c < 2;
        bool useUpper = reserved || !lower || r2 == -1.0f;
        out[0] = useUpper ? r : r2;
        out[1] = useUpper ? g : g2;
        out[2] = useUpper ? b : b2;
        out[3] = a;
    }
}

void CimageBoxVar::setBaseUV(float u, float v) {
    setCornerBaseUV(0, 0.0f, 0.0f);
    setCornerBaseUV(1, u, 0.0f);
    setCornerBaseUV(2, 0.0f, v);
    setCornerBaseUV(3, u, v);
    copyToUV();
}

void CimageBoxVar::setCornerBaseUV(int corner, float u, float v) {
    if (corner < 0 || corner > 3) return;
    baseUV[corner][0] = u;
    baseUV[corner][1] = v;
}

void CimageBoxVar::copyToUV() {
    float s = std::sin(rotation), c = std::cos(rotation);
    float uv[4][2];
    for (int k = 0; k < 4; k++) {
        float du = baseUV[k][0] - 0.5f, dv = baseUV[k][1] - 0.5f;
        uv[k][0] = 0.5f + du * c - dv * s;
        uv[k][1] = 0.5f + du * s + dv * c;
    }
    writeUVs(uv);
}

void CimageBoxVar::rotateUV(float delta) {
    rotation += delta;
    copyToUV();
}

void CimageBoxVar::writeUVs(float const (*uv)[2]) {
    for (int c = 0; c < 4; c++)
        if (float* out = uvs[c]) out[0] = uv[c][0], out[1] = uv[c][1];
}
