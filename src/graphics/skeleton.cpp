// Skeleton set-up and the per-frame joint matrices.
#include "graphics/skeleton.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "graphics/numberLimits.h"
#include "script/matrixControllerManager.h"
#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

constexpr float degrees = 3.14159265358979f / 180.0f;

void recordJointError(int joint, Cstring const& jointName, char const* what, char const* detail) {
    char text[512];
    std::snprintf(text, sizeof text, "skeleton joint %d (%s): %s%s", joint, jointName.c_str(), what, detail);
    setExitError(text, 1);
}

// A rest frame whose third row is the unit direction d. The x axis guides it; a direction
// along x takes y as its guide instead.
Cmatrix3 frameAlong(Cvector const& d) {
    Cmatrix3 m;
    m.identity();
    m.buildMatrixFromNormalizedVect(d, 2, 0, 1);
    if (m.forward.x != d.x || m.forward.y != d.y || m.forward.z != d.z) {
        m.identity();
        m.buildMatrixFromNormalizedVect(d, 2, 1, 0);
    }
    return m;
}

Cmatrix3 transposed(Cmatrix3 const& m) {
    Cmatrix3 t;
    t.side.set(m.side.x, m.up.x, m.forward.x);
    t.up.set(m.side.y, m.up.y, m.forward.y);
    t.forward.set(m.side.z, m.up.z, m.forward.z);
    return t;
}

} // namespace

// ---- one joint ----

void CmatrixPoint::calc() {
    if (matrixAngleRotater) matrixAngleRotater->rotateByAngles();
    if (lagInfo) lagInfo->calcLagInfo();
    Cmatrix_4& m = *matrix;
    m = localMatrix;
    if (rotationLink) m *= *rotationLink;
    if (parentMatrix) {
        m.pos += center;
        if (translatePoint) m.pos += *translatePoint;
        m *= *parentMatrix;
    } else if (translatePoint) {
        m.pos += *translatePoint;
    }
    float inverse = 1.0f / scale;
    normalMatrix->side = m.rot.side * inverse;
    normalMatrix->up = m.rot.up * inverse;
    normalMatrix->forward = m.rot.forward * inverse;
    if (matrixAngleRotater) matrixAngleRotater->resetMAR();
}

void CmatrixPoint::getWorldMatrixPos(Cvector& out) const {
    out = center;
    if (matrix) out *= *matrix;
}

void CmatrixPoint::getCenter(Cvector& out) const {
    out = center;
    if (parentMatrix) out *= *parentMatrix;
}

void CmatrixPoint::showMatrixPoint(int index) const {
    VTRACE(1, "matrix point " << index << " " << name << " parent:" << parentIndex << " center:" << center);
    if (matrix) VTRACE(1, "  matrix:" << *matrix);
    VTRACE(1, "  local:" << localMatrix);
}

// ---- lag ----

void ClagInfo::calcLagInfo() {
    Cmatrix_4 const& parentWorld = *parentPoint->matrix;
    worldCenter = center;
    worldCenter *= parentWorld;
    CmatrixAngleRotater* rotater = point->matrixAngleRotater.get();
    Cvector target = rotater ? rotater->matrix.forward * length : direction;
    Cvector next;
    if (lagging) {
        Cvector previous = direction;
        if (laggedPos.x != -1000.0f) {
            previous = laggedPos - worldCenter;
            previous /= *parentPoint->normalMatrix;
            previous *= 1.0f / parentPoint->scale;
        }
        next = previous + (target - previous) * lagRate;
        next.normalize();
        Cvector tip = next * length;
        tip ^= parentWorld;
        laggedPos = tip + worldCenter;
        output.forward = next;
        output.side.set(1.0f, 0.0f, 0.0f);
        output.up.crossOf(output.forward, output.side);
        output.up.normalize();
        output.side.crossOf(output.up, output.forward);
    } else {
        output = rotater ? rotater->matrix : frame;
    }
    output *= parentWorld;
    rotation = inverseFrame;
    rotation *= output;
}

// ---- the skeleton ----

Cskeleton::Cskeleton() = default;
Cskeleton::~Cskeleton() = default;

void Cskeleton::releaseControllers(CmatrixControllerManager* manager) {
    if (manager == nullptr) return;
    Cvariable* node = manager->controllers.firstChild;
    while (node) {
        Cvariable* next = node->nextSibling;
        auto* controller = dynamic_cast<CmatrixController*>(node);
        for (CmatrixPoint const& joint : matrixPoints) {
            if (controller && joint.matrixAngleRotater &&
                controller->rotater == joint.matrixAngleRotater.get()) {
                deleteVariable(controller);
                break;
            }
        }
        node = next;
    }
}

int Cskeleton::initSkeleton(std::vector<CskeletonIdentity>& identities, float scale,
                            CskeletonModelPoints const* model, CskeletonOwner* owner) {
    VTRACE(2, "init skeleton scale " << scale);
    if (model == nullptr) return 0;
    VTRACE(2, "found input geo");
    CmatrixControllerManager* manager = owner ? owner->skeletonControllers() : nullptr;
    // Joints made before go, and with them the controllers that drive their rotaters.
    releaseControllers(manager);
    matrixPoints.clear();

    int n = static_cast<int>(identities.size());
    numMatrices = n;
    matrixPoints.resize(n);
    deformMatrices.assign(n, Cmatrix_4());
    normalMatrices.assign(n, Cmatrix3());
    for (int i = 0; i < n; i++) {
        matrixPoints[i].matrix = &deformMatrices[i];
        matrixPoints[i].normalMatrix = &normalMatrices[i];
    }
    if (keepMatrixHistory) {
        bufferMatrices[0].assign(n, Cmatrix_4());
        bufferMatrices[1].assign(n, Cmatrix_4());
        blendMatrices.assign(n, Cmatrix_4());
    }
    VTRACE(2, "numMats = " << n);
    int points = static_cast<int>(model->positions.size());
    if (n != points) {
        VTRACE(1, "nummats:" << n << "  skeleton points:" << points);
        setExitError("ERROR!  numMats and skeleton points don't match up", 1);
        return 1;
    }

    if (static_cast<int>(model->commands.size()) == n) {
        for (int i = 0; i < n; i++) {
            if (!model->commands[i].empty() &&
                readCommandString(i, model->commands[i], identities[i], owner) != 0)
                return 1;
        }
    }

    if (static_cast<int>(model->parents.size()) != n) {
        VTRACE(2, "SKELETON DOESN'T LOOK GOOD!!!!");
        return 1;
    }
    VTRACE(2, "SKELETON LOOKS GOOD  points:" << n);

    bool hasShowMe = static_cast<int>(model->showMe.size()) == n;
    for (int i = 0; i < n; i++) {
        CmatrixPoint& joint = matrixPoints[i];
        joint.parentIndex = 0;
        if (hasShowMe) joint.showMe = static_cast<uint8_t>(truncatedWithin(model->showMe[i]));
        joint.center = model->positions[i];
        joint.localMatrix.identity();
        joint.localMatrix.pos = -joint.center;
        joint.rotationLink = identities[i].rotation;
        joint.translatePoint = identities[i].translatePoint;
        joint.name = identities[i].name;
        joint.scale = scale;
        int p = truncatedWithin(model->parents[i]);
        if (p == -1) {
            joint.localMatrix.scale(scale);
            joint.parentMatrix = nullptr;
        } else if (p == -2) {
            VTRACE(1, "CAMPARENTED " << (owner ? owner->skeletonOwnerName() : ""));
            joint.parentIndex = -2;
            joint.localMatrix.scale(scale);
            joint.parentMatrix = owner ? owner->tankCameraMatrix() : nullptr;
        } else if (p >= 0 && p < n) {
            joint.parentIndex = p;
            joint.parentMatrix = &deformMatrices[p];
        } else {
            char detail[32];
            std::snprintf(detail, sizeof detail, "%d", p);
            recordJointError(i, joint.name, "parent out of range: ", detail);
            return 1;
        }
    }

    for (int i = 0; i < n; i++) {
        if (matrixPoints[i].lagInfo && setUpLag(i, *model) != 0) return 1;
    }
    VTRACE(2, "done init skeleton");
    return 0;
}

int Cskeleton::readCommandString(int i, Cstring const& command, CskeletonIdentity& identity,
                                 CskeletonOwner* owner) {
    CmatrixPoint& joint = matrixPoints[i];
    joint.matrixAngleRotater = std::make_unique<CmatrixAngleRotater>();
    CmatrixAngleRotater* rotater = joint.matrixAngleRotater.get();
    identity.translatePoint = &rotater->offsetVector;
    identity.rotation = &rotater->matrix;
    CmatrixControllerManager* manager = owner ? owner->skeletonControllers() : nullptr;

    std::vector<Cstring> tokens;
    tokenize(tokens, command.c_str(), ' ');
    std::vector<Cstring> words;
    for (Cstring const& t : tokens) {
        if (!t.empty()) words.push_back(t);
    }
    Cstring current;
    CmatrixController* controller = nullptr;
    // Finds the control named value; null (recorded) when there is none or it has no value.
    auto findSource = [&](Cstring const& value, float*& source) -> bool {
        CfloatLinkVar* control = manager ? manager->findControl(value.c_str()) : nullptr;
        if (control == nullptr) {
            VTRACE(2, "badctrl " << value);
            setExitError((Cstring("bad ctrl ") + value).c_str(), 1);
            return false;
        }
        source = static_cast<float*>(control->storage);
        if (source == nullptr) {
            char text[512];
            std::snprintf(text, sizeof text, "animValue %s not found", value.c_str());
            setExitError(text, 1);
            return false;
        }
        return true;
    };

    for (size_t k = 0; k < words.size(); k += 2) {
        Cstring const& keyword = words[k];
        if (k + 1 >= words.size()) {
            recordJointError(i, current, "no value after ", keyword.c_str());
            return 1;
        }
        Cstring const& value = words[k + 1];
        float number = static_cast<float>(std::atof(value.c_str()));
        bool needsController = keyword == "-cid1" || keyword == "-blnd" || keyword == "-dim" ||
                               keyword == "-amin" || keyword == "-amax";
        if (needsController && controller == nullptr) {
            recordJointError(i, current, "no -cid0 before ", keyword.c_str());
            return 1;
        }
        if (keyword == "-mn") {
            current = value;
            rotater->name = value;
            VTRACE(2, "matname=" << value);
        } else if (keyword == "-mi") {
            current += value;
        } else if (keyword == "-cid0") {
            controller = new CmatrixController;
            controller->rotater = rotater;
            if (manager) manager->addController(controller);
            if (!findSource(value, controller->source)) {
                if (manager == nullptr) delete controller;
                return 1;
            }
        } else if (keyword == "-cid1") {
            VTRACE(2, "fctr=" << value);
            if (!findSource(value, controller->source2)) return 1;
        } else if (keyword == "-blnd") {
            controller->blend = number;
        } else if (keyword == "-dim") {
            int slot = 0;
            while (slot < 3 && rotater->axisCodes[slot] != -1)
                slot++;
            if (slot == 3) {
                recordJointError(i, current, "fga", "");
                return 1;
            }
            int d = truncatedWithin(number, -1000, 1000);
            rotater->axisCodes[slot] = d;
            controller->setPointer(&rotater->angles[slot]);
            controller->setName(current + "_" + Cstring(static_cast<char>(120 + d)));
        } else if (keyword == "-amin") {
            controller->offset = number * degrees;
            VTRACE(2, "amin=" << controller->offset);
        } else if (keyword == "-amax") {
            controller->scale = number * degrees - controller->offset;
            VTRACE(2, "amax=" << controller->scale);
        } else if (keyword == "-lag") {
            joint.lagInfo = std::make_unique<ClagInfo>();
            joint.lagInfo->lagRate = number;
            VTRACE(2, "lagr=" << number);
        } else if (keyword == "-addSens") {
            recordJointError(i, current, "addSens", "");
            return 1;
        }
    }
    identity.name = current;
    return 0;
}

int Cskeleton::setUpLag(int i, CskeletonModelPoints const& model) {
    CmatrixPoint& joint = matrixPoints[i];
    ClagInfo& lag = *joint.lagInfo;
    if (joint.parentIndex < 0) {
        recordJointError(i, joint.name, "a lagging joint needs a parent joint", "");
        return 1;
    }
    lag.point = &joint;
    lag.parentPoint = &matrixPoints[joint.parentIndex];
    lag.center = joint.center;
    lag.direction = model.normals.size() == matrixPoints.size() ? model.normals[i] : Cvector();
    lag.length = lag.direction.length();
    lag.inverseLength = lag.length > 0.0f ? 1.0f / lag.length : 0.0f;
    lag.lagging = lag.lagRate != 1.0f;
    joint.rotationLink = &lag.rotation;
    joint.translatePoint = &lag.worldCenter;
    joint.parentMatrix = nullptr;
    if (!(lag.length > 1e-5f)) {
        char text[64];
        std::snprintf(text, sizeof text, "zvlen==0 for %d", i);
        setExitError(text, 1);
        return 1;
    }
    lag.frame = frameAlong(lag.direction * lag.inverseLength);
    if (joint.matrixAngleRotater) {
        joint.matrixAngleRotater->baseMatrix = lag.frame;
        joint.matrixAngleRotater->resetMAR();
        VTRACE(1, "lv:" << lag.direction);
        VTRACE(1, "mar:" << lag.frame);
    }
    lag.inverseFrame = transposed(lag.frame);
    return 0;
}

void Cskeleton::calcDeformMatrices() {
    for (CmatrixPoint& joint : matrixPoints)
        joint.calc();
}

void Cskeleton::setCameraMatricesToTank(CskeletonOwner* owner) {
    Cmatrix_4* camera = owner ? owner->tankCameraMatrix() : nullptr;
    for (CmatrixPoint& joint : matrixPoints) {
        if (joint.parentIndex != -2) continue;
        joint.parentMatrix = camera;
        VTRACE(2, "found a camera parent matrix!!!");
    }
}

void Cskeleton::calcBlendedMatrix(float) {
    if (!keepMatrixHistory) return;
    VTRACE(1, "mat2sh");
    setExitError("ma2sh", 1);
}

void Cskeleton::showMatrixList() const {
    for (size_t i = 0; i < matrixPoints.size(); i++)
        matrixPoints[i].showMatrixPoint(static_cast<int>(i));
}
