// The fish's lighting: a light value per lighting point of the species, blended per vertex
// and turned into vertex colours after the skeleton step.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/tank.h"

bool Cfish::calcLightingPoints() {
    int n = lightingModel ? lightingModel->numPoints : 0;
    if (n > kMaxLightingPoints) {
        // More points than the fish keeps would be written past its table.
        numLightingPoints = 0;
        setExitError("ERROR! too many lighting points", 1);
        return false;
    }
    numLightingPoints = n;
    // The tank keeps no light volume: every point is fully lit.
    std::fill(lightingPoints, lightingPoints + kMaxLightingPoints, 1.0f);
    return true;
}

float Cfish::vertexLight(float d, float l, float shade, float diffuse, float const* adjust) {
    if (adjust != nullptr)
        return ((l - 0.1f) * (3.5f * std::max(0.0f, d * adjust[0] + adjust[1])) + 0.32f) * shade * diffuse;
    return std::max(0.0f, (std::max(0.0f, d) * (3.0f * l - 0.75f) + 0.5f * d + 0.5f) * shade * diffuse);
}

void Cfish::postDeformProcessing(CworkObject& object) {
    auto* t = dynamic_cast<Ctank*>(tank);
    Cvector light = (t ? t->lightPos : Cvector(0.0f, 9.0f, 1.5f)) - vertex[4];
    float length = light.length();
    lightDirection = length > 1e-6f ? light * (1.0f / length) : Cvector(0.0f, 1.0f, 0.0f);
    if (!calcLightingPoints()) return;

    CtexturedGeo* model = object.model;
    if (model == nullptr || object.normalOffset < 0 || object.colorOffset < 0 || object.colorSize < 3) return;
    if (model->pointData() == nullptr || !model->interleaved) return;
    int pairOffset = model->findAttrib("lightpoint", 0), blendOffset = model->findAttrib("lightblend", 0);
    int shadeOffset = model->findAttrib("shade", 0);
    if (pairOffset < 0 || blendOffset < 0 || numLightingPoints < 1) return;
    int points = std::min<int>(object.numPoints, model->numPoints);
    if (commandSkinned && model->lightingAdjust.size() < 2 * static_cast<size_t>(points)) {
        setExitError("need light adjust", 1);
        return;
    }
    int buffer = object.curGeo == &object.workGeo[1] ? 1 : 0;
    float* data = object.workGeo[buffer].pointData();
    if (data == nullptr || object.workGeo[buffer].interleaved) return; // work buffers are attribute-major
    float* normals = data + static_cast<size_t>(object.normalOffset) * object.numPoints;
    float* colours = data + static_cast<size_t>(object.colorOffset) * object.numPoints;
    float dm = model->diffuseMultiply;
    float const base[3] = {0.2f * dm, 0.25f * dm, 0.2f * dm};
    int last = numLightingPoints - 1;
    for (int p = 0; p < points; p++) {
        float const* record = model->pointRecord(p);
        // Light point indices outside the table are held to its ends.
        int a = std::clamp(static_cast<int>(record[pairOffset]), 0, last);
        int b = std::clamp(static_cast<int>(record[pairOffset + 1]), 0, last);
        float w = record[blendOffset];
        float l = lightingPoints[a] + (lightingPoints[b] - lightingPoints[a]) * w;
        float shade = shadeOffset >= 0 ? record[shadeOffset] : 1.0f;
        float const* n = normals + static_cast<size_t>(p) * 3;
        float d = lightDirection.x * n[0] + lightDirection.y * n[1] + lightDirection.z * n[2];
        float const* adjust = commandSkinned ? &model->lightingAdjust[2 * static_cast<size_t>(p)] : nullptr;
        float value = vertexLight(d, l, shade, dm, adjust);
        float* c = colours + static_cast<size_t>(p) * object.colorSize;
        for (int k = 0; k < 3; k++)
            c[k] = std::min(base[k] + value, 1.0f);
    }
}
