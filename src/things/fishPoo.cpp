// The waste strand: hanging, snapping into a falling copy, sinking, and the ribbon mesh.
#include "things/fishPoo.h"

#include <algorithm>
#include <cmath>

#include "graphics/geoNew.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "script/fastNoise.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "world/species.h"
#include "world/thingServices.h"

namespace {
constexpr float kSinkPerFrame = 0.008f;
constexpr float kHalfPi = 1.5707963f;

CclothPieceStaticInfo const* pieceOf(CtexturedGeo const* model, int piece) {
    if (model == nullptr || piece < 0 || piece >= static_cast<int>(model->cloth.clothPieces.size()))
        return nullptr;
    return &model->cloth.clothPieces[static_cast<size_t>(piece)];
}

int linksOf(CtexturedGeo const* model, int piece) {
    CclothPieceStaticInfo const* p = pieceOf(model, piece);
    return p ? static_cast<int>(p->slavePoints.size()) : 0;
}

// The way from a to b in the picture plane (z dropped), 0.1 long.
Cvector across(Cvector const& a, Cvector const& b) {
    Cvector d(b.x - a.x, b.y - a.y, 0.0f);
    d.normalize();
    return d * 0.1f;
}

Cvector pointAt(CworkObject& work, int buffer, int point) {
    float const* p = work.pointPosition(buffer, point);
    return p ? Cvector(p[0], p[1], p[2]) : Cvector();
}
} // namespace

CfishPoo::CfishPoo() {
    registerFloat(pooThickness, "pooThickness", 0);
    registerFloat(pooLength, "pooLength", 0);
    noisePhase = fastRandValues[fastRandSeedIndex++ & 31] * 50.0f;
}

CwasteStrandMaster* CfishPoo::master() {
    return parentThing ? dynamic_cast<CwasteStrandMaster*>(parentThing) : nullptr;
}

int CfishPoo::attachThing(Cthing* fish, int kind) {
    CattachedThing::attachThing(fish, kind);
    if (fish == nullptr || fish->whatAmI() != WHAT_FISH ||
        dynamic_cast<CwasteStrandMaster*>(fish) == nullptr) {
        setExitError("master is not a fish!", 1);
        return 1;
    }
    return resetThing(0);
}

int CfishPoo::resetThing(int mode) {
    if (CbasicDeformThing::resetThing(mode) != 0) return 1;
    if (jointCount < 1) {
        VTRACE(1, name << ": a waste strand needs a root joint");
        initialized = 0;
        return 1;
    }
    initialized = 1;
    pooLength = 0.7f;
    auto* sp = dynamic_cast<Cspecies*>(species);
    pooCloth = static_cast<int8_t>(sp ? sp->getClothIndex("poo") : -1);
    pooClothA = static_cast<int8_t>(sp ? sp->getClothIndex("Apoo") : -1);
    pooClothB = static_cast<int8_t>(sp ? sp->getClothIndex("Bpoo") : -1);
    CtexturedGeo* model = species->modelGeometry();
    pointCount = linksOf(model, pooCloth) + 1;
    pooCurve.init(pointCount, 1, 1, 6, 4);
    pooCurve.setDimensionSpace(0, 0.0f, static_cast<float>(std::max(pointCount - 1, 1)));
    ClinkVar const* mesh = model ? model->pointSide.findGroup("mesh_points") : nullptr;
    firstMeshPoint = CgeoNew::groupSize(mesh) > 0 ? CgeoNew::groupMembers(mesh)[0] : 0;
    return 0;
}

void CfishPoo::setPooLength(float length) {
    pooLength = length;
    if (length < kHiddenStrandLength && workObject) workObject->materialsDisplayed(0);
}

void CfishPoo::goFish(int) {
    if (jointCount < 1) {
        framesUpdated++;
        return;
    }
    Cvector& root = jointPositions[0];
    Cmatrix3& m = jointMatrices[0];
    if (CwasteStrandMaster* fish = master()) {
        if (framesUpdated == 0) {
            pooThickness = fish->wasteStrandWidth();
            thingScale = 1.0f;
        }
        fish->getAnusPos(root, m);
        pooLength = fish->digestAndPoo();
        fish->setHasVisibleWaste(pooLength > kHiddenStrandLength);
    } else {
        root.y -= kSinkPerFrame;
        // The strand slowly lies down as it sinks, and sways.
        m.up.y *= 0.995f;
        m.up.normalize();
        m.forward.crossOf(m.side, m.up);
        m.side.crossOf(m.forward, m.up);
        m.side = -m.side;
        noisePhase += 0.02f;
        float n = fastNoiseWrapLookupVar(noisePhase);
        m.rotateAroundForward(n * (0.2f * std::fabs(m.side.y)) * 0.015f);
        float floor = tank ? tank->tankValue("minimumGroundHeight", -1.0f) : -1.0f;
        if (root.y < floor - 0.5f) {
            prepareForDelete();
            return;
        }
    }
    setDisplayed(1);
    framesUpdated++;
}

void CfishPoo::updateClothControllers() {
    if (workObject == nullptr) return;
    if (parentThing) {
        workObject->updateClothPiece(pooCloth, pooThickness * 1.5f, pooThickness * 1.5f, nullptr);
    } else {
        workObject->updateClothPiece(pooClothA, 0.17f, 0.17f, nullptr);
        workObject->updateClothPiece(pooClothB, 0.17f, 0.17f, nullptr);
    }
}

bool CfishPoo::strandPoints(char const* group, short const*& points, int& count) {
    CtexturedGeo* model = species ? species->modelGeometry() : nullptr;
    ClinkVar const* g = model ? model->pointSide.findGroup(group) : nullptr;
    count = std::min(CgeoNew::groupSize(g), pointCount);
    points = CgeoNew::groupMembers(g);
    return points != nullptr && count >= 2;
}

void CfishPoo::hideRibbon(CworkObject& work, int buffer) {
    work.materialsDisplayed(0);
    for (int v = 0; v < 2 * pointCount; v++)
        if (float* p = work.pointPosition(buffer, firstMeshPoint + v)) p[0] = p[1] = p[2] = 0.0f;
}

void CfishPoo::postDeformProcessing(CworkObject& work) {
    int buffer = work.curGeo == &work.workGeo[1] ? 1 : 0;
    short const* points = nullptr;
    int n = 0;
    if (pooLength <= kHiddenStrandLength ||
        !strandPoints(parentThing ? "poo_points" : "poo_points_falling", points, n)) {
        hideRibbon(work, buffer);
        return;
    }
    work.materialsDisplayed(1);
    float t = pooThickness;
    Cvector d = across(pointAt(work, buffer, points[0]), pointAt(work, buffer, points[1]));
    float* curve = pooCurve.floatData;
    for (int k = 0; k < n; k++) {
        Cvector p = pointAt(work, buffer, points[k]);
        float* sample = curve + static_cast<size_t>(k) * 6;
        sample[0] = p.x - t * d.y;
        sample[1] = p.y + t * d.x;
        sample[2] = p.z;
        sample[3] = p.x + t * d.y;
        sample[4] = p.y - t * d.x;
        sample[5] = 0.0f;
        if (k + 1 < n) d = across(p, pointAt(work, buffer, points[k + 1]));
    }
    // Points the list lacks repeat its last one.
    for (int k = n; k < pointCount; k++)
        std::copy_n(curve + static_cast<size_t>(n - 1) * 6, 6, curve + static_cast<size_t>(k) * 6);
    for (int k = 0; k < pointCount; k++) {
        float c[6] = {0, 0, 0, 0, 0, 0};
        pooCurve.getValuesCublic(static_cast<float>(k) * pooLength, c, 0x1Fu);
        if (float* left = work.pointPosition(buffer, firstMeshPoint + 2 * k))
            left[0] = c[0], left[1] = c[1], left[2] = c[2];
        if (float* right = work.pointPosition(buffer, firstMeshPoint + 2 * k + 1))
            right[0] = c[3], right[1] = c[4], right[2] = c[2];
    }
}

int CfishPoo::snapIntoFallingPoo(float newLength) {
    Cvariable* made = species ? makeThing(species->getName(), "species") : nullptr;
    auto* copy = dynamic_cast<CfishPoo*>(made);
    if (copy == nullptr || copy->resetThing(0) != 0) {
        // A strand that cannot fall just starts again on the fish.
        VTRACE(1, "no poo: the falling strand could not be made");
        if (made) deleteVariable(made);
    } else {
        copy->setToTank(tank);
        copy->copyPoo(*this);
        copy->setDisplayed(1);
        copy->pooLength = std::min(1.0f, pooLength);
        copy->cloneThingsWorkObjectState(this);
    }
    if (workObject) workObject->materialsDisplayed(0);
    pooLength = newLength;
    return copy ? 0 : 1;
}

void CfishPoo::copyPoo(CfishPoo& source) {
    if (jointCount < 1 || source.jointCount < 1) return;
    Cmatrix3& m = jointMatrices[0];
    m = source.jointMatrices[0];
    jointPositions[0] = source.jointPositions[0];
    // The source's curve from its root: the root, then its hanging links.
    std::vector<Cvector> strand(1, source.jointPositions[0]);
    CtexturedGeo* model = species ? species->modelGeometry() : nullptr;
    if (CclothPieceStaticInfo const* hanging = pieceOf(model, source.pooCloth);
        hanging && source.workObject) {
        auto const& points = source.workObject->cloth.clothPoints;
        for (size_t k = 0; k < hanging->slavePoints.size() && hanging->firstSlave + k < points.size(); k++)
            strand.push_back(points[hanging->firstSlave + k]);
    }
    Cvector end = strand.back();
    Cvector next = strand.size() > 1 ? strand[strand.size() - 2] : end;
    // The falling halves run from the old end back to the old root.
    if (workObject) {
        auto& points = workObject->cloth.clothPoints;
        size_t from = strand.size() >= 2 ? strand.size() - 2 : 0;
        for (int piece : {pooClothA, pooClothB}) {
            CclothPieceStaticInfo const* half = pieceOf(model, piece);
            for (size_t k = 0; half && k < half->slavePoints.size() && half->firstSlave + k < points.size();
                 k++) {
                points[half->firstSlave + k] = strand[from];
                if (from > 0) from--;
            }
        }
    }
    jointPositions[0] = end;
    m.rotateAroundAxis(1, -kHalfPi);
    Cvector up = end - next;
    if (up.lengthSquared() > 0.0f) {
        up.normalize();
        m.up = up;
        m.side.crossOf(m.forward, m.up);
        m.side.normalize();
        m.forward.crossOf(m.side, m.up);
    }
    pooThickness = source.pooThickness;
    thingScale = source.thingScale;
    framesUpdated = 2;
}

void CfishPoo::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    if (parentThing) {
        if (parentThing->pooThing == this) parentThing->pooThing = nullptr;
        if (CwasteStrandMaster* fish = master()) fish->setHasVisibleWaste(false);
    }
    Cthing::prepareForDelete();
}
