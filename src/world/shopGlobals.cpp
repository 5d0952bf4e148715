#include "world/shopGlobals.h"

float globalSecondsSinceLastFrame = 0.0f;
double globalTime = 0.0;
int16_t globalSecondInc = 0;
uint8_t enableAnim = 1;

CgraphicsAPI* display[kMaxDisplays] = {};
int16_t numDisplays = 0;

uint8_t wasChanged = 0;
uint8_t revertToDefaults = 0;
int16_t scriptAllowVariableNotFound = 0;
uint8_t allowTexturing = 1;
uint8_t skipFrameDisplay = 0;
int featureFlags = 0;
int16_t m_SaverMode = 0;
std::vector<Cstring> finalNotes;
Cstring settingsNotSaved;
bool settingsNotSavedSaid = false;
uint8_t guideGeoShown = 0, enableGuideGeo = 0;

int16_t canDoModInvAlphaAddColor = 0, canDoTemp = 0, D3D = 0, HVP = 0, HLSL = 0, shaderSpeed = 0, miniTex = 0,
        lowResGeo = 0, minimizeVtxData = 0, OpenGL = 1;
