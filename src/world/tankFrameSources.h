// What the tank and a species hand down to the per-frame geometry of their things.
//
// The names of the source calls clash with the tank's and the species' own members, so
// each hands its values through a small adapter it owns.
#pragma once

#include "graphics/frameSources.h"

class Ctank;
class Cspecies;

// The tank's half: camera, shared arrays, water phase and the culling grid.
class CtankFrameSources : public CframeSources {
  public:
    explicit CtankFrameSources(Ctank& tank) : tank(tank) {}
    CdataChan const* camShakeChan() override;
    CdataImage const* fishFinFlutter() override;
    CdataVolume const* levelSet() override;
    // The obstacle spheres' signed distance; the base's "none" without spheres.
    float sphereLevelSet(Cvector const& point) override;
    Cvector camPos() override;
    double waterPhase() override;
    float causticSpeed() override;
    // The grid view of the camera; null until the tank has built a camera.
    Cpov const* pov() override;
    int gridColumns() override;
    int gridRows() override;

  private:
    Ctank& tank;
};

// The species' half: the caustic noise image and its speeds.
class CspeciesFrameSources : public CframeSources {
  public:
    explicit CspeciesFrameSources(Cspecies& species) : species(species) {}
    CdataImage const* colorNoiseImage() override;
    float pushNoiseSpeed() override;
    float causticPointNoiseSpeedU() override;
    float causticPointNoiseSpeedV() override;

  private:
    Cspecies& species;
};
