// Program-wide state that the shop keeper owns: the frame clocks, the display table and
// the run flags that start-up sets and the rest of the engine reads.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

class CgraphicsAPI;

// The clocks advance only in the frame step, by a fixed amount per step.
extern float globalSecondsSinceLastFrame; // 1 / (displays x refresh rate)
extern double globalTime;                 // seconds since start
extern int16_t globalSecondInc;           // 1 in a step in which a whole second passed
extern uint8_t enableAnim;                // 0: master frames stand still, nothing is saved

// The displays in use, left to right without gaps.
constexpr int kMaxDisplays = 8;
extern CgraphicsAPI* display[kMaxDisplays];
extern int16_t numDisplays;

// Run flags set at construction of the shop keeper.
extern uint8_t wasChanged;       // a tank was changed since the last save
extern uint8_t revertToDefaults; // the settings file proved corrupt: delete it at shut-down
extern int16_t scriptAllowVariableNotFound;
extern uint8_t allowTexturing;
extern uint8_t skipFrameDisplay;
extern int featureFlags;    // feature bits; 8 marks this platform
extern int16_t m_SaverMode; // 1: the host wants the saver to exit
// Lines written to the run-phase output at shut-down.
extern std::vector<Cstring> finalNotes;
// Why the settings of this run could not be saved ("couldn't save" with the file and the
// system's reason); empty while they save. The run goes on without them.
extern Cstring settingsNotSaved;
// The failure was said on stderr already (a screen saver's run, which shows no message page).
extern bool settingsNotSavedSaid;

// Device capabilities and modes that scripts read through the shop keeper (the GL device
// keeps canDoFade and canDoMultAdd itself).
extern int16_t canDoModInvAlphaAddColor, canDoTemp, D3D, HVP, HLSL, shaderSpeed, miniTex, lowResGeo,
    minimizeVtxData, OpenGL;

// Developer flags of the guide geometry that two keys toggle while the registry setting
// "special" is on; nothing draws from them yet.
extern uint8_t guideGeoShown, enableGuideGeo;

// Program version written into saved settings.
constexpr float kScriptSavedVersion = 1.296f;
