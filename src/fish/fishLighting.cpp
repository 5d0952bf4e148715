// The fish's lighting: a light value per lighting point of the species, blended per vertex
// and turned into vertex colours after the skeleton step.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "fish/fish.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "variables/variableLinks.h"
#include "world/tank.h"

namespace {
// The array of the tank's data-array reference of that name; null when the tank has none.
template <class T> T const* tankArray(CtankServices* tank, char const* name) {
    auto* ref = tank ? dynamic_cast<CdataArrayReference*>(tank->getChild(name, 0)) : nullptr;
    auto const* array = ref ? dynamic_cast<T const*>(ref->array) : nullptr;
    return array && array->floatData ? array : nullptr;
}

// The tank's switch of that name is on.
bool tankSwitch(CtankServices* tank, char const* name) {
    Cvariable* v = tank ? tank->getChild(name, 0) : nullptr;
    return v != nullptr && v->getFloat() != 0.0f;
}
} // namespace

CtexturedGeo* Cfish::findLightingModel() {
    Cvariable* holder = species ? species->getChild("light_points", 0) : nullptr;
    if (auto* geo = dynamic_cast<CtexturedGeo*>(holder)) return geo;
    auto* ref = dynamic_cast<CresourceReference*>(holder);
    return ref && ref->target ? dynamic_cast<CtexturedGeo*>(*ref->target) : nullptr;
}

bool Cfish::calcLightingPoints() {
    int n = lightingModel ? lightingModel->numPoints : 0;
    if (n > kMaxLightingPoints) {
        // More points than the fish keeps would be written past its table.
        numLightingPoints = 0;
        setExitError("ERROR! too many lighting points", 1);
        return false;
    }
    numLightingPoints = n;
    std::fill(lightingPoints, lightingPoints + kMaxLightingPoints, 1.0f);
    if (n < 1) return true;

    // Caustics run along the body as it swims: the fin phase scrolls them, the fin cycle
    // picks the image row.
    if (auto const* caustic = tankArray<CdataImage>(tank, "causticImage")) {
        float c = static_cast<float>(n);
        for (int i = 0; i < n; i++) {
            float u = std::fmod((c - static_cast<float>(i) / c + finPhase) * bodyLength, 1.0f);
            if (!(u >= 0.0f)) u = 0.0f;
            float value = 1.0f;
            caustic->getValuesUsingPercent(u, finCycle, &value);
            causticLight[i] = value;
        }
    } else {
        std::fill(causticLight, causticLight + kMaxLightingPoints, 1.0f);
    }

    // The points ride on the skeleton; the tank's light volume, when on, says how lit each is.
    auto const* volume =
        tankSwitch(tank, "useLightVolume") ? tankArray<CdataVolume>(tank, "lightVolume") : nullptr;
    bool placed = workObject != nullptr && !workObject->deformMatrices.empty() && lightingModel->interleaved;
    if (placed) lightingModel->deformGeometry(lightingPositions, workObject->deformMatrices);
    for (int i = 0; i < n; i++) {
        float light = 1.0f;
        if (volume != nullptr && placed) {
            Cvector at(lightingPositions[3 * i], lightingPositions[3 * i + 1], lightingPositions[3 * i + 2]);
            volume->getValues(at, &light, 1u);
        }
        lightingPoints[i] = causticLight[i] * light;
    }
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
