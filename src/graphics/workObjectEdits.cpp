// Edits of a work object outside the per-frame deformation: blending the two buffers,
// scrolling uv, attribute maths from the model's values, showing materials, finding and
// switching render poly groups, custom textures and draw-order links.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/material.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"

namespace {

// Blend switches of the model, after the deferred-skinning one.
enum BlendSwitch { BLEND_POSITION = 1, BLEND_COLOR, BLEND_SPEC, BLEND_UV, BLEND_UVB, BLEND_NORMAL };

void blendBlock(float* a, float const* b, size_t count, float f) {
    for (size_t i = 0; i < count; i++)
        a[i] += (b[i] - a[i]) * f;
}

char const* ownerName(CworkObjectOwner* thing) {
    return thing ? thing->skeletonOwnerName() : "";
}

} // namespace

int CworkObject::interpolateGeoWith(short a, short b, float f) {
    if (a < 0 || a > 1 || b < 0 || b > 1 || floatsPerPoint != workGeo[b].floatsPerPoint ||
        floatsPerPoint != workGeo[a].floatsPerPoint) {
        setExitError("geos have diff attribs!", 1);
        return 1;
    }
    if (model == nullptr || a == b || workGeo[a].pointData() == nullptr) return 0;
    uint8_t const* on = model->workSwitches;
    struct Block {
        int offset;
        int size;
        bool blended;
    } const blocks[] = {
        {posOffset, posSize, on[BLEND_POSITION] != 0},
        {colorOffset, colorSize, on[BLEND_COLOR] != 0},
        {normalOffset, 3, on[BLEND_NORMAL] != 0},
        {specOffset, 3, on[BLEND_SPEC] != 0},
        {uvOffset, 2, on[BLEND_UV] != 0 || (uvOffset != -1 && envMapUVOffset == uvOffset)},
        {uvBOffset, 2, on[BLEND_UVB] != 0 || (uvBOffset != -1 && envMapUVOffset == uvBOffset)},
    };
    for (Block const& block : blocks) {
        if (block.offset < 0 || !block.blended) continue;
        blendBlock(attribute(&workGeo[a], block.offset), attribute(&workGeo[b], block.offset),
                   static_cast<size_t>(numPoints) * block.size, f);
    }
    return 0;
}

int CworkObject::shiftTexCoords(short buffer, short uvSet, double time) {
    bool second = uvSet == 1;
    if (model == nullptr || buffer < 0 || buffer > 1) return 0;
    model->workSwitches[second ? BLEND_UVB : BLEND_UV] = 1;
    int target = second ? uvBOffset : uvOffset;
    int source = second ? model->uvBOffset : model->uvOffset;
    float* out = attribute(&workGeo[buffer], target);
    if (out == nullptr || source < 0 || source + 2 > model->floatsPerPoint || model->pointData() == nullptr) {
        setExitError("tried to shift texture with no UV!", 1);
        return 0;
    }
    if (!requireInterleaved(*model, true)) return 0;
    CframeSources* s = thing ? thing->frameSources() : nullptr;
    double k = time * 30.0 * (s ? s->causticSpeed() : 0.0f);
    float du = static_cast<float>(std::fmod(model->texShift[0] * k, 1.0));
    float dv = static_cast<float>(std::fmod(k * model->texShift[1], 1.0));
    for (int i = 0; i < numPoints; i++) {
        float const* uv = model->pointRecord(i) + source;
        out[2 * i] = uvScaleU * uv[0] + du;
        out[2 * i + 1] = uvScaleV * uv[1] + dv;
    }
    return 0;
}

void CworkObject::mathOnAttribFromOriginalValues(char const* name, int component, float low, float high) {
    VTRACE(1, ownerName(thing) << "moa: " << name << "  indx:" << component << "  low=" << low
                               << " hi=" << high);
    if (model == nullptr || name == nullptr) return;
    for (CgeoNew& geo : workGeo) {
        int from = model->findAttrib(name, 0), to = geo.findAttrib(name, 0);
        int size = std::min(model->findAttrib(name, 1), geo.findAttrib(name, 1));
        if (!requireInterleaved(*model, true)) return;
        char text[256];
        if (from < 0 || to < 0 || geo.pointData() == nullptr || model->pointData() == nullptr) {
            std::snprintf(text, sizeof text, "attrib %s not found in %s", name, ownerName(thing));
            setExitError(text, 1);
            continue;
        }
        if (component < 0 || component >= size) {
            std::snprintf(text, sizeof text, "component %d outside attrib %s in %s", component, name,
                          ownerName(thing));
            setExitError(text, 1);
            continue;
        }
        VTRACE(1, "attrib maths: " << from << " " << to);
        float* out = geo.pointData() + static_cast<size_t>(to) * numPoints;
        int stride = geo.findAttrib(name, 1);
        for (int i = 0; i < numPoints; i++)
            out[static_cast<size_t>(i) * stride + component] =
                model->pointRecord(i)[from + component] * (high - low) + low;
    }
    flagToUpdateStaticData();
}

void CworkObject::materialDisplayed(char const* name, int on) {
    for (CrenderPolyGroup& group : renderPolyGroups) {
        Cmaterial* material = group.set ? group.set->material : nullptr;
        if (material == nullptr) continue;
        VTRACE(2, material->name);
        if (name && material->name == name) {
            group.displayed = static_cast<uint8_t>(on);
            VTRACE(2, "materialDisplayed found " << name << " = " << on);
            return;
        }
    }
    VTRACE(2, "materialDisplayed no found " << (name ? name : ""));
}

void CworkObject::materialsDisplayed(int on) {
    for (CrenderPolyGroup& group : renderPolyGroups)
        group.displayed = static_cast<uint8_t>(on);
}

int CworkObject::findRenderPolyIndex(char const* name) {
    for (size_t i = 0; name && i < renderPolyGroups.size(); i++) {
        CpolyGroupDefinition const* d = renderPolyGroups[i].definition;
        if (d == nullptr) continue;
        VTRACE(2, d->name);
        if (d->name == name) return static_cast<int>(i);
    }
    return -1;
}

int CworkObject::findRenderPolyIndex(char const* name, char id, char transparent) {
    for (size_t i = 0; name && i < renderPolyGroups.size(); i++) {
        CrenderPolyGroup const& group = renderPolyGroups[i];
        CpolyGroupDefinition const* d = group.definition;
        if (d == nullptr || group.set == nullptr) continue;
        VTRACE(2, "id=" << int(d->idChar) << " tr=" << int(group.set->transparent));
        if (d->idChar == id && group.set->transparent == static_cast<uint8_t>(transparent) && d->name == name)
            return static_cast<int>(i);
    }
    return -1;
}

CrenderPolyGroup* CworkObject::findRPGbyName(char const* name) {
    int i = findRenderPolyIndex(name);
    return i < 0 ? nullptr : &renderPolyGroups[static_cast<size_t>(i)];
}

void CworkObject::setRenderPolyVariation(short index, short variation) {
    if (index < 0) return;
    if (static_cast<size_t>(index) >= renderPolyGroups.size()) {
        VTRACE(1, ownerName(thing) << ": no render poly group " << index);
        return;
    }
    CrenderPolyGroup& group = renderPolyGroups[static_cast<size_t>(index)];
    if (group.set == nullptr || variation < 0 ||
        static_cast<size_t>(variation) >= group.set->variations.size()) {
        VTRACE(1, ownerName(thing) << ": group " << index << " has no variation " << variation);
        return;
    }
    group.usePolyGroupIndex(variation);
}

Cvariable* CworkObject::findCustomTexture(char const* name) {
    if (thing == nullptr || name == nullptr) return nullptr;
    if (Cvariable* texture = thing->customTexture(name)) return texture;
    return thing->buildCustomTex(name);
}

void CworkObject::clearAllRPGpredecessors() {
    for (CrenderPolyGroup& group : renderPolyGroups)
        group.predecessorCount = 0;
}
