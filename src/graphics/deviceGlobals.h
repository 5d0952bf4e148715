// Program-wide graphics limits and flags that materials and textures read before any
// device exists; the device and the host set them once its capabilities are known.
#pragma once

#include <cstdint>

#include "support/cerr.h" // recommendReinstall

extern int32_t maxTexUnits; // texture units of the device
extern int16_t GLSL;        // 1: materials draw with their shader programs

// Samplers the shader programs declare: no material may have more stages.
constexpr int SHADER_SAMPLERS = 4;
