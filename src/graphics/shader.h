// A material's shader program on one display: a node of the device's resource graph, so
// that freeing the device frees it and clears the material's slot that points at it.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"
#include "variables/multiLink.h"

class CgraphicsAPI;
class Cmaterial;

class Cshader : public ClinkedResourceNode {
  public:
    ~Cshader() override = default;
    // Builds the programs for the material on the device; 0 on success, 1 on failure.
    virtual int initialize(CgraphicsAPI*, Cmaterial*) { return 1; }
    // Releases the device objects; harmless when nothing is held.
    virtual void freeShader() {}

    // Uniform records; kept empty (the programs look their uniforms up by name).
    std::vector<Cstring> uniforms;
    // The material whose program this is; null once the material is gone.
    Cmaterial* material = nullptr;
    // The device whose context holds the programs; null once the device is gone.
    CgraphicsAPI* device = nullptr;
    // The material's slot (the device's display index) that points at this shader.
    int16_t slotIndex = -1;
};
