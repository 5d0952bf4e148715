// What a work object's per-frame effects read of the tank and the species around it.
//
// The tank and the species live in layers above graphics, so they hand their shared
// arrays and values down through this interface. Every array may be absent: the effect
// that needs it is skipped (traced once per work object) rather than read through null.
#pragma once

#include "support/vector.h"

class CdataChan;
class CdataImage;
class CdataVolume;
class Cpov;

class CframeSources {
  public:
    virtual ~CframeSources() = default;

    // ---- the tank ----
    // The camera-shake curve that drives the noise push; null when absent.
    virtual CdataChan const* camShakeChan() { return nullptr; }
    // The fin-flutter image; null when absent.
    virtual CdataImage const* fishFinFlutter() { return nullptr; }
    // The level-set volume; null when the tank has none.
    virtual CdataVolume const* levelSet() { return nullptr; }
    // Signed distance of point to the tank's sphere fields; 10000 without spheres.
    virtual float sphereLevelSet(Cvector const& point) {
        (void)point;
        return 10000.0f;
    }
    virtual Cvector camPos() { return Cvector(0.0f, 0.0f, 0.0f); }
    virtual double waterPhase() { return 0.0; }
    virtual float causticSpeed() { return 0.0f; }
    // The tank's point of view and its culling grid; null when the thing has no tank.
    virtual Cpov const* pov() { return nullptr; }
    virtual int gridColumns() { return 0; }
    virtual int gridRows() { return 0; }

    // ---- the species ----
    // The caustic noise image; null when absent.
    virtual CdataImage const* colorNoiseImage() { return nullptr; }
    virtual float pushNoiseSpeed() { return 0.0f; }
    // The caustic phase speeds in u and v.
    virtual float causticPointNoiseSpeedU() { return 0.005f; }
    virtual float causticPointNoiseSpeedV() { return 0.0f; }
};
