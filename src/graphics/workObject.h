// A thing's own deformable instance of its species' model: two geometry buffers that the
// per-frame geometry step fills and blends, driven by the thing's skeleton.
//
// This is the part of the work object that its thing calls. The geometry itself (the
// buffers' point data, skinning, render poly groups, device data) fills in the bodies;
// until then the base keeps the bookkeeping the thing reads and reports that it has no
// geometry to build.
#pragma once

#include <vector>

#include "graphics/skeleton.h"
#include "variables/safeRelationship.h"

class Cthing;

class CworkObject : public CsafeRelationship {
  public:
    ~CworkObject() override = default;

    // Builds both buffers from the owner's species model. 0 built, 1 failed.
    virtual int initWorkGeometry();
    // Binds the model's joints to the owner's translations and rotations at scale.
    // 0 bound, 1 failed.
    virtual int initSkeleton(std::vector<CskeletonIdentity>& identities, float scale);
    // Deforms the model into buffer (0 or 1) for this frame. Gives 0.
    virtual int calcGeometry(int buffer);
    // Moves buffer `from` towards buffer `to` by t, writing into `from`.
    virtual void interpolateGeoWith(int from, int to, float t);
    // Blends the joint matrices of the two buffers by fraction.
    virtual void calcBlendedMatrix(float fraction);
    // Scrolls one texture-coordinate attribute of a buffer by shift.
    virtual void shiftTexCoords(int buffer, int attribIndex, float shift);
    // Rewrites one component of a named attribute in both buffers as
    // source * (hi - lo) + lo, source being the value the model was loaded with.
    virtual void mathOnAttribFromOriginalValues(char const* attribName, int component, float lo, float hi);
    // Scales the positions of both buffers (a thing without a skeleton).
    virtual void scaleSize(float scale);
    virtual void flagToUpdateStaticData();
    virtual void freeAllWorkObjectGraphicsResources();
    virtual void showMatrixList();
    // Takes over another work object's buffers (same model).
    virtual void copyDataFrom(CworkObject* other);
    // Points camera-bound joints at the camera of the owner's tank.
    virtual void setCameraMatricesToTank();
    // Points of the deformed mesh.
    virtual int pointCount() { return 0; }
    // x, y, z of a point in a geometry buffer (0 or 1), writable; null when out of range.
    virtual float* pointPosition(int, int) { return nullptr; }

    Cthing* thing = nullptr;
    // The buffer handed to the renderer this refresh (0 or 1).
    short curGeoIndex = 0;
    // The model's texture-shift attribute; 65535 when it names none.
    unsigned short texShiftAttribIndex = 65535;
    // Width over height of the texture the model shows, times 0.3 (backdrops).
    float textureAspect = 0.3f;
};

// Makes the work object of a thing; the geometry code may install a richer kind.
using WorkObjectMaker = CworkObject* (*)();
extern WorkObjectMaker workObjectMaker;
