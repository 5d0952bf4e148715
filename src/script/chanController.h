// Chan controllers: named variables of a species, one per fin kind, that hold an angle
// chan for the fin's cells and turn the angles into cosine and sine pairs for the cloth.
// Each frame the fish fills the angles, converts them and hands the pairs to its geometry.
#pragma once

#include "script/chan.h"
#include "variables/variable.h"

class CchanController : public Cvariable {
  public:
    // Sizes the chans for n cells (nothing in the base).
    virtual void initialize(int n);
    // The chan the species fills from its geometry commands; null when there is none.
    virtual Cchan* getSubController(char const* name);
};

class CcosSinController : public CchanController {
  public:
    // cosSin cell 2i = cos(angle i), cell 2i + 1 = sin(angle i).
    void copyToCosSine();
    // The pair without trigonometry, for small angles: (1 - a^2, a).
    void cheapCopyToCosSine();

    Cchan angles; // one bend angle (radians) per cell
    Cchan cosSin; // two cells per angle

  protected:
    // Sizes angles for n cells and cosSin for their pairs (no cells for a refused n);
    // returns the cell count the controller's other chans take.
    int sizeAnglesAndPairs(int n);

  private:
    // True when cosSin holds a pair for every angle; otherwise "cioorA" and false.
    bool pairsFit();
};

// Blends between two stored lift shapes by a factor running from root to tip.
class CfinLiftController : public CcosSinController {
  public:
    void initialize(int n) override;
    void fill(float a, float b);

    Cchan shapeA, shapeB;
};

// A weighted sine wave along the fin plus a ramp.
class CfinWagController : public CcosSinController {
  public:
    void initialize(int n) override;
    // The weights, whatever the name.
    Cchan* getSubController(char const*) override { return &weights; }
    void fill(float ramp, float amplitude, float start, float end);

    Cchan weights;
};

// The tail: the fish fills the angles itself and adds bendCurve times a bend factor.
class CcaudalWagController : public CcosSinController {
  public:
    void initialize(int n) override;

    Cchan bendCurve;
    Cchan restCurve; // n zeros
};

// A new controller for the kind "finLift", "finWag" or "caudalWag", chans empty; null for
// any other kind.
CchanController* newChanControllerOfKind(char const* kind);
