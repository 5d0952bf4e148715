// The per-frame flow from controls to joint angles.
#include "script/matrixControllerManager.h"

#include <cmath>

#include "support/cerr.h"

// ---- rotater ----

CmatrixAngleRotater::CmatrixAngleRotater() {
    baseMatrix.identity();
    resetMAR();
}

void CmatrixAngleRotater::resetMAR() {
    angles[0] = angles[1] = angles[2] = 0.0f;
    matrix = baseMatrix;
    offsetVector = baseOffset;
}

void CmatrixAngleRotater::rotateByAngles() {
    for (int i = 0; i < 3; i++) {
        float a = angles[i];
        if (a == 0.0f) continue;
        int code = axisCodes[i];
        if (code < 3) {
            matrix.rotateAroundAxis(code, a);
            continue;
        }
        Cmatrix3 r;
        if (code == 3)
            r.setXrotation(-a);
        else if (code == 4)
            r.setYrotation(-a);
        else
            r.setZrotation(-a);
        matrix *= r;
    }
}

// ---- heading control ----

CmatrixAngleDifferenceVar::CmatrixAngleDifferenceVar() {
    setPointer(&value);
}

int CmatrixAngleDifferenceVar::update() {
    if (frame == nullptr || fromPoint == nullptr || toPoint == nullptr) return 0;
    Cvector d = *toPoint - *fromPoint;
    d /= *frame;
    value = std::atan2(d.x, -d.z);
    return 0;
}

// ---- manager ----

CmatrixControllerManager::CmatrixControllerManager() {
    controls.setName("controls");
    controllers.setName("controllers");
}

CanimValue* CmatrixControllerManager::addAndRegisterAnimControl(Cstring name, float value) {
    auto* control = new CanimValue;
    control->setName(name);
    controls.addVariable(control);
    control->setFloat(value);
    return control;
}

CfloatLinkVar* CmatrixControllerManager::addAndRegisterControl(Cstring name, CfloatLinkVar* control) {
    if (control == nullptr) return nullptr;
    control->setName(name);
    controls.addVariable(control);
    return control;
}

CmatrixController* CmatrixControllerManager::addController(CmatrixController* controller) {
    if (controller) controllers.addVariable(controller);
    return controller;
}

CfloatLinkVar* CmatrixControllerManager::findControl(char const* name) {
    return dynamic_cast<CfloatLinkVar*>(controls.getChild(name));
}

void CmatrixControllerManager::animValuesToMatrices() {
    for (Cvariable* c = controls.firstChild; c; c = c->nextSibling)
        c->update();
    for (Cvariable* node = controllers.firstChild; node; node = node->nextSibling) {
        auto* c = dynamic_cast<CmatrixController*>(node);
        if (c == nullptr || c->source == nullptr) continue; // the set-up reported it
        float v = *c->source;
        if (c->source2) v = v + (*c->source2 - v) * c->blend;
        v = v * c->scale + c->offset;
        double wide = v;
        if (!(wide > -1e200 && wide < 1e200)) {
            VTRACE(1, c->name);
            VTRACE(1, static_cast<void*>(c->source));
            VTRACE(1, static_cast<void*>(c->source2));
            VTRACE(1, c->blend);
            setExitError("bad angle", 1);
        }
        c->setFloat(v);
    }
}
