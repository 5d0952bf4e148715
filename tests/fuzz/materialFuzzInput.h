// One fuzz input for the material reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/deviceGlobals.h"
#include "graphics/material.h"
#include "graphics/textureStage.h"
#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"

// A model that owns the fuzzed materials.
class CfuzzMaterialModel : public CdirectoryVar, public CmaterialOwner {
  public:
    Cvariable* materialOwnerNode() override { return this; }
};

inline void resetMaterialFuzzState() {
    resetExitState();
    scriptError = 0;
    recommendReinstall = 0;
    mathSolver.clearError();
}

// Parses the bytes as a material script and reads it into a material of a model whose
// vertex format comes from the first byte. Bad scripts may fail, but must not crash, hang
// or read outside the bytes; whatever is read must respect the stage limit.
inline void runMaterialFuzzInput(uint8_t const* data, size_t size) {
    resetMaterialFuzzState();
    CfuzzMaterialModel model;
    model.apiFormat = size ? data[0] & 7 : 0;
    model.specOffset = size ? static_cast<int16_t>((data[0] >> 3) & 1) - 1 : -1;
    auto* material = new Cmaterial;
    material->setName("fuzz");
    model.addVariable(material, 1);
    material->setDiskPath("fuzzModel/arrays");
    material->texGeo = &model;

    CscriptVar script;
    if (script.processStringScript(reinterpret_cast<char const*>(data), size) == 0) {
        material->readFromScript(script);
        int stages = material->texStages ? material->texStages->countChildren() : 0;
        if (stages > SHADER_SAMPLERS) __builtin_trap();
        for (int k = 0; k < stages; k++) {
            CtextureStage* stage = material->getStage(k);
            if (stage == nullptr || stage->stageNum != k) __builtin_trap();
        }
    }
    resetMaterialFuzzState();
}
