#include "world/engineWiring.h"

#include "script/scripter.h"
#include "support/engineHooks.h"
#include "world/velmoraFunctions.h"

namespace {

void enterPhase(char const* phase, bool writeMarker) {
    enterRunPhase(phase, writeMarker);
}

void runDeleteScript(Cvariable* script, Cvariable* context) {
    runScript(context, script);
}

} // namespace

void wireEngineHooks() {
    engineHooks.enterRunPhase = enterPhase;
    engineHooks.deleteScriptRunner = runDeleteScript;
    // The model and voxel readers, fonts, the password pane, the shop keeper's setting
    // notices, freeing the globals and restoring the resource tree belong to layers not
    // built yet; their slots stay empty until those layers fill them here.
}
