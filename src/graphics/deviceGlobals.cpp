#include "graphics/deviceGlobals.h"

int32_t maxTexUnits = 8;
int16_t GLSL = 0;
