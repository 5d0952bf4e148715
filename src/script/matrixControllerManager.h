// Matrix controllers: named controls of a thing drive the joint angles of its skeleton.
//
// The thing registers its controls (animated values, delayed copies, heading angles) in
// its CmatrixControllerManager; the skeleton set-up makes one CmatrixController per
// driven joint axis, which maps a control's value linearly to an angle and writes it into
// the joint's CmatrixAngleRotater. Each frame the manager updates every control and
// pushes the values through the controllers; the joint calculation then turns its matrix
// by the angles and resets the rotater.
#pragma once

#include "script/animValue.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "variables/variableBasics.h"

class CmatrixAngleRotater;

// A linear map from one control (or a blend of two) to one rotater angle; the link points
// at the angle it drives.
class CmatrixController : public CfloatLinkVar {
  public:
    using Cvariable::operator=;

    float* source = nullptr;                // the control's float (required)
    float* source2 = nullptr;               // a second control's float, or null
    float blend = 0.0f;                     // mix toward source2
    CmatrixAngleRotater* rotater = nullptr; // not owned
    float offset = 0.0f;                    // angle at source value 0, radians
    float scale = 0.0f;                     // angle range per unit of source value, radians
};

// One joint's orientation, turned by up to three angles each frame.
class CmatrixAngleRotater {
  public:
    CmatrixAngleRotater();
    // Angles to 0, the working matrix and offset back to their bases.
    void resetMAR();
    // Turns the working matrix by each nonzero angle: codes 0 to 2 about the joint's own
    // side, up or forward row; 3, 4 and above about the parent's X, Y or Z axis.
    void rotateByAngles();

    Cstring name;
    float angles[3];
    int axisCodes[3] = {-1, -1, -1}; // -1: slot not in use
    Cmatrix3 baseMatrix;
    Cmatrix3 matrix;
    Cvector baseOffset;
    Cvector offsetVector;
};

// The heading of one point seen from another in a frame: 0 straight along -z, positive
// toward +x. The owner sets the three pointers.
class CmatrixAngleDifferenceVar : public CfloatLinkVar {
  public:
    using Cvariable::operator=;
    CmatrixAngleDifferenceVar();
    // Recomputes the heading (nothing while a pointer is missing). Gives 0.
    int update() override;

    Cmatrix3* frame = nullptr;
    Cvector* fromPoint = nullptr;
    Cvector* toPoint = nullptr;
    float value = 0.0f;
};

class CmatrixControllerManager {
  public:
    CmatrixControllerManager();
    CmatrixControllerManager(CmatrixControllerManager const&) = delete;
    CmatrixControllerManager& operator=(CmatrixControllerManager const&) = delete;

    // A new CanimValue under controls, named and set to value.
    CanimValue* addAndRegisterAnimControl(Cstring name, float value);
    // Adopts an existing control under the name; the manager owns it from then on.
    CfloatLinkVar* addAndRegisterControl(Cstring name, CfloatLinkVar* control);
    // Adopts a controller (the skeleton set-up makes them).
    CmatrixController* addController(CmatrixController* controller);
    // The control of that name; null when there is none.
    CfloatLinkVar* findControl(char const* name);
    // The per-frame step: update every control, then write every controller's angle.
    // A non-finite angle is reported as "bad angle" and still written.
    void animValuesToMatrices();

    CdirectoryVar controls;
    CdirectoryVar controllers;
};
