#include "world/engineWiring.h"

#include "graphics/texturedGeo.h"
#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/engineHooks.h"
#include "world/initGlobals.h"
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
    engineHooks.freeGlobals = freeGlobals;
    engineHooks.restoreResourceTree = OS::copyResourcesFromInstall;
    installModelLoader();
    // Fonts, the password pane and the shop keeper's setting notices belong to layers not
    // built yet; their slots stay empty until those layers fill them here.
}
