// CtexturedGeo: a loaded model shared by every thing that shows it: the geometry plus what
// is derived from it once per model. It is requested by name (requestGeo2), counted by its
// "instances" variable and destroyed when the last user releases it.
#pragma once

#include <fstream>

#include "graphics/geoNew.h"

class CtexturedGeo : public CgeoNew {
  public:
    // Empty; registers "diffuseMultiply" and "instances" (the use count).
    CtexturedGeo();
    ~CtexturedGeo() override;
    void writeConfigString(std::ofstream& out) override;
    void writeSaveString(std::ofstream& out) override;

    // Loads the model file at path, binary tree form first, then the geometry file.
    // 0 loaded; 1 (an empty geometry, recommendReinstall set) when it loads in neither form
    // or its contents are out of range.
    int loadTexturedGeo(char const* path);

    float diffuseMultiply = 1.0f;
};

// The model loader behind requestGeo2: a new CtexturedGeo named after the file and loaded
// from diskPath; null (nothing kept) when it does not load.
CmanagedResourceVar* loadTexturedGeoModel(Cstring const& diskPath);
// Points the shared-model requests at loadTexturedGeoModel; start-up calls it once.
void installModelLoader();
