// Skeletons: the joints that move a work object's points.
//
// Each joint computes one world matrix per frame from its centre, an optional rotation
// and translation handed in by the thing, an optional angle rotater driven by the thing's
// matrix controllers, an optional lag behind its parent, and its parent's world matrix
// (or the tank camera's). Skinning then blends two of these matrices per point. All of it
// runs on the CPU.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "support/matrix3.h"
#include "support/matrix4.h"
#include "support/mystring.h"
#include "support/vector.h"

class CmatrixAngleRotater;
class CmatrixControllerManager;
class CmatrixPoint;

// The caller's description of one joint; the caller owns the vector of them.
struct CskeletonIdentity {
    Cstring name;                      // replaced by the joint's name when it has a command string
    Cvector* translatePoint = nullptr; // added to the joint's matrix each frame
    Cmatrix3* rotation = nullptr;      // applied to the joint's local matrix each frame
};

// The skeleton model as the skeleton reads it: one point per joint, in joint order.
struct CskeletonModelPoints {
    std::vector<Cvector> positions;
    std::vector<float> parents;    // "parentMat" (or "mat"); empty: the model has neither
    std::vector<float> showMe;     // empty: no "showMe"
    std::vector<Cvector> normals;  // "N"; empty: no normals
    std::vector<Cstring> commands; // "mtx_cmd" strings; empty: none
};

// What a skeleton needs of the thing that carries it.
class CskeletonOwner {
  public:
    virtual ~CskeletonOwner() = default;
    // The thing's controls and the controllers the joints' command strings add.
    virtual CmatrixControllerManager* skeletonControllers() = 0;
    // The camera matrix of the thing's tank; null while the thing has no tank.
    virtual Cmatrix_4* tankCameraMatrix() = 0;
    virtual char const* skeletonOwnerName() = 0;
};

// A joint's lag behind its parent, like a trailing fin.
class ClagInfo {
  public:
    // Moves the lagging direction toward its target and sets rotation for the joint.
    void calcLagInfo();

    CmatrixPoint* point = nullptr;
    CmatrixPoint* parentPoint = nullptr;
    Cvector worldCenter;
    Cvector center;
    Cvector direction;
    Cvector laggedPos{-1000.0f, 0.0f, 0.0f}; // x of -1000: no history yet
    Cmatrix3 rotation;
    float lagRate = 1.0f;
    Cmatrix3 frame;
    Cmatrix3 inverseFrame;
    float length = 0.0f;
    float inverseLength = 0.0f;
    uint8_t lagging = 0;
    Cmatrix3 output;
};

class CmatrixPoint {
  public:
    // This frame's world matrix (and normal matrix) of the joint.
    void calc();
    // center carried by the joint's world matrix.
    void getWorldMatrixPos(Cvector& out) const;
    // center, carried by the parent's matrix when there is one.
    void getCenter(Cvector& out) const;
    // The joint to the trace (debug output).
    void showMatrixPoint(int index) const;

    Cmatrix_4* matrix = nullptr;
    Cmatrix3* normalMatrix = nullptr;
    Cmatrix_4 localMatrix;
    Cmatrix_4* parentMatrix = nullptr;
    Cmatrix3* rotationLink = nullptr;
    Cvector* translatePoint = nullptr;
    std::unique_ptr<CmatrixAngleRotater> matrixAngleRotater;
    Cvector center;
    float scale = 1.0f;
    std::unique_ptr<ClagInfo> lagInfo;
    int32_t parentIndex = 0; // -2: hangs from the tank camera
    uint8_t showMe = 0;
    Cstring name;
};

// The joints of one work object and the matrices they write.
class Cskeleton {
  public:
    Cskeleton();
    ~Cskeleton();
    Cskeleton(Cskeleton const&) = delete;
    Cskeleton& operator=(Cskeleton const&) = delete;

    // Builds one joint per identity from the skeleton model (null: no skeleton, 0 joints).
    // 0 built or no model; 1 failed (recorded unless the model lacks parents).
    int initSkeleton(std::vector<CskeletonIdentity>& identities, float scale,
                     CskeletonModelPoints const* model, CskeletonOwner* owner);
    // Every joint's calc, in joint order.
    void calcDeformMatrices();
    // Camera joints take the owner's tank camera matrix as parent.
    void setCameraMatricesToTank(CskeletonOwner* owner);
    // Blending the two buffers' matrices is not supported: recorded when history is kept.
    void calcBlendedMatrix(float fraction);
    void showMatrixList() const;

    int32_t numMatrices = 0;
    std::vector<Cmatrix_4> deformMatrices;
    std::vector<Cmatrix3> normalMatrices;
    std::vector<CmatrixPoint> matrixPoints;
    uint8_t keepMatrixHistory = 0;
    std::vector<Cmatrix_4> bufferMatrices[2];
    std::vector<Cmatrix_4> blendMatrices;

  private:
    int readCommandString(int joint, Cstring const& command, CskeletonIdentity& identity,
                          CskeletonOwner* owner);
    int setUpLag(int joint, CskeletonModelPoints const& model);
    // Drops the controllers of manager bound to this skeleton's rotaters, before they go.
    void releaseControllers(CmatrixControllerManager* manager);
};
