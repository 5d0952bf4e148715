// The fish's skeleton: one joint per matrix of the species' skeleton model, bound by the
// model's named point groups to the display body, the eyes, mouth, gills and fins.
#include <algorithm>
#include <cstdio>

#include "fish/fish.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/thingServices.h"

namespace {
constexpr float kDegToRad = 0.017453292f;
constexpr float kHalfPi = 1.5707963f;

// The index of the group's first point, or -1 when the group is absent, empty or names a
// point outside the table.
int firstPointOf(CgeoNew& geo, char const* group, size_t tableSize) {
    CshortLinkVar* g = geo.pointSide.findGroup(group);
    if (CgeoNew::groupSize(g) < 1) return -1;
    int p = CgeoNew::groupMembers(g)[0];
    return p >= 0 && static_cast<size_t>(p) < tableSize ? p : -1;
}

// Point p's first float of attribute offset, or fallback.
float pointValue(CgeoNew& geo, int offset, int p, float fallback) {
    if (offset < 0 || geo.pointData() == nullptr || p < 0 || p >= geo.numPoints) return fallback;
    return geo.pointRecord(p)[offset];
}

void bind(std::vector<CskeletonIdentity>& table, int at, char const* name, Cmatrix3* rotation,
          Cvector* translation) {
    if (at < 0) return;
    table[static_cast<size_t>(at)].name = name;
    table[static_cast<size_t>(at)].rotation = rotation;
    table[static_cast<size_t>(at)].translatePoint = translation;
}

// One joint per point of group, each a segment of chain with its fin-down angle.
void bindFinGroup(CgeoNew& geo, std::vector<CskeletonIdentity>& table, char const* group, char const* name,
                  float fallback, CfinChain& chain, std::vector<float>& finDown) {
    CshortLinkVar* g = geo.pointSide.findGroup(group);
    int n = std::max(CgeoNew::groupSize(g), 0);
    chain.setup(n);
    finDown.assign(static_cast<size_t>(n), fallback);
    int angleOffset = geo.findAttrib("finDownAngle", 0);
    for (int k = 0; k < n; k++) {
        int p = CgeoNew::groupMembers(g)[k];
        auto at = static_cast<size_t>(k);
        if (angleOffset >= 0) finDown[at] = pointValue(geo, angleOffset, p, 0.0f) * kDegToRad;
        if (p >= 0 && static_cast<size_t>(p) < table.size())
            bind(table, p, name, &chain.matrices[at], nullptr);
    }
}

} // namespace

bool Cfish::commandDrivenModel(CgeoNew& geo) {
    std::vector<Cstring> commands;
    return geo.findAttrib("mtx_cmd", 0) >= 0 || geo.getPointStrings("mtx_cmd", commands);
}

bool Cfish::makeSkeletonTable(CgeoNew& geo, std::vector<CskeletonIdentity>& table) {
    table.assign(static_cast<size_t>(std::max<int>(geo.numPoints, 0)), CskeletonIdentity{});
    int assignOffset = geo.findAttrib("assignAsMat", 0);
    if (assignOffset >= 0 && !requireInterleaved(geo, true)) return false;

    CshortLinkVar* spine = geo.pointSide.findGroup("spine");
    int spinePoints = std::min(CgeoNew::groupSize(spine), bodyPoints);
    for (int i = 0; i < spinePoints; i++) {
        int at = CgeoNew::groupMembers(spine)[i];
        if (at < 0 || static_cast<size_t>(at) >= table.size()) continue;
        float v = assignOffset >= 0 ? pointValue(geo, assignOffset, at, -1.0f) : static_cast<float>(i);
        // A vertex the body does not have would bind past the body arrays.
        if (!(v >= 0.0f && v <= static_cast<float>(lastPoint))) continue;
        int vertexIndex = static_cast<int>(v);
        char name[32];
        std::snprintf(name, sizeof name, "point %d", i);
        bind(table, at, name, &displayOrientation[vertexIndex], &displayVertex[vertexIndex]);
    }

    size_t n = table.size();
    bind(table, firstPointOf(geo, "leftEye", n), "eyeRotationMat0", &eyes[0].localRotation, nullptr);
    bind(table, firstPointOf(geo, "rightEye", n), "eyeRotationMat1", &eyes[1].localRotation, nullptr);
    bind(table, firstPointOf(geo, "gillMatLeft", n), "gillMat0", &gillMatrix[0], nullptr);
    bind(table, firstPointOf(geo, "gillMatRight", n), "gillMat1", &gillMatrix[1], &gillOffset);
    bind(table, firstPointOf(geo, "gillMat3", n), "gillMat2", &gillMatrix[1], &gillOffset);
    bind(table, firstPointOf(geo, "upperLip", n), "upperLipMat", &lipMatrix, &lipOffset);
    bind(table, firstPointOf(geo, "lowerJaw", n), "lowerJawMat", &jawMatrix, nullptr);
    bind(table, firstPointOf(geo, "chinMat", n), "chinMat", &chinMatrix, nullptr);

    // Command-driven joints move the fins through the registered controls; other models
    // get their fin matrices set directly.
    commandSkinned = controllerRig = commandDrivenModel(geo) ? 1 : 0;
    if (commandSkinned) {
        dorsalChain.setup(0), analChain.setup(0);
        dorsalFinDown.clear(), analFinDown.clear();
        return true;
    }

    // Each group names its matrix among left upper, left lower, right upper, right lower.
    static struct {
        char const* group;
        char const* name;
        int matrix;
    } const pecGroups[4] = {{"lowerLeftPec", "lower pec mat 0", 1},
                            {"upperLeftPec", "upper pec mat 0", 0},
                            {"lowerRightPec", "lower pec mat 1", 3},
                            {"upperRightPec", "upper pec mat 1", 2}};
    for (auto const& pec : pecGroups)
        bind(table, firstPointOf(geo, pec.group, n), pec.name, &pectoralMatrix[pec.matrix], nullptr);
    bindFinGroup(geo, table, "dorsalMat", "dorsalFrontMat", -1.0f, dorsalChain, dorsalFinDown);
    bindFinGroup(geo, table, "analMat", "analFrontMat", 1.0f, analChain, analFinDown);

    // In the fin rig's order: roots and tips, then the segments trailing them.
    static char const* const pelvicGroups[8] = {
        "pelvicLeftForward",  "pelvicLeftBack",  "pelvicRightForward",  "pelvicRightBack",
        "pelvicLeftForwardB", "pelvicLeftBackB", "pelvicRightForwardB", "pelvicRightBackB"};
    int pelvics = geo.pointSide.findGroup("pelvicLeftForwardB") ? 8 : 4;
    for (int k = 0; k < pelvics; k++)
        bind(table, firstPointOf(geo, pelvicGroups[k], n), pelvicGroups[k], &pelvicMatrix[k], nullptr);
    return true;
}

void Cfish::buildFishWeights() {
    if (weightsBuilt || workObject == nullptr || species == nullptr) return;
    CgeoNew* geo = species->skeletonModel();
    if (geo == nullptr) return;
    for (Cmatrix3* m : {&jawMatrix, &chinMatrix, &lipMatrix, &gillMatrix[0], &gillMatrix[1]})
        m->identity();
    for (Cmatrix3& m : pectoralMatrix)
        m.identity();
    for (Cmatrix3& m : pelvicMatrix)
        m.identity();
    std::vector<CskeletonIdentity> table;
    if (!makeSkeletonTable(*geo, table)) return;
    if (workObject->initSkeleton(table, bodyLength) != 0) return;
    weightsBuilt = 1;

    struct {
        char const* name;
        float angle, sign;
    } const eyeEntries[2] = {{"eyeRotationMat0", kHalfPi, -1.0f}, {"eyeRotationMat1", -kHalfPi, 1.0f}};
    for (int e = 0; e < 2; e++) {
        auto found = std::find_if(table.begin(), table.end(),
                                  [&](CskeletonIdentity const& id) { return id.name == eyeEntries[e].name; });
        size_t at = static_cast<size_t>(found - table.begin());
        if (found == table.end() || at >= workObject->deformMatrices.size()) continue;
        Cvector position;
        if (geo->interleaved && geo->pointData() && geo->posSize >= 3) {
            float const* r = geo->pointRecord(static_cast<int>(at)) + geo->posOffset;
            position.set(r[0], r[1], r[2]);
        }
        eyes[e].initEye(&workObject->deformMatrices[at], position, eyeEntries[e].angle, eyeEntries[e].sign);
    }
    initCollisionPlaneGroup(4, 0.2f, this);
    bindTailAngles();
    lightingModel = findLightingModel();
}

void Cfish::bindTailAngles() {
    // Each control reads one tail joint's heading of a point further down the drawn tail.
    static int const frame[5] = {5, 6, 7, 5, 6}, from[5] = {6, 7, 8, 6, 7}, to[5] = {7, 8, 9, 8, 9};
    for (int i = 0; i < 5; i++) {
        CmatrixAngleDifferenceVar* a = caudalAngles[i];
        if (a == nullptr) continue;
        a->frame = &displayOrientation[frame[i]];
        a->fromPoint = &displayVertex[from[i]];
        a->toPoint = &displayVertex[to[i]];
    }
}
