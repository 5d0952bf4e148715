#include "graphics/deviceGlobals.h"

int32_t maxTexUnits = 8;
int16_t GLSL = 0;

// What the display device found it can do; the shop keeper's settings read them.
uint8_t canDoFade = 1, canDoMultAdd = 0, canDoDXtempResult = 0, canReadRasterStatus = 0;
