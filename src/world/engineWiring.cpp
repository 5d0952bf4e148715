#include "world/engineWiring.h"

#include "graphics/texturedGeo.h"
#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/engineHooks.h"
#include "world/dataFolderRun.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

void enterPhase(char const* phase, bool writeMarker) {
    enterRunPhase(phase, writeMarker);
}

void runDeleteScript(Cvariable* script, Cvariable* context) {
    runScript(context, script);
}

void settingChanged(Cvariable* setting) {
    if (shopKeeper) shopKeeper->settingWasChanged(setting);
}

} // namespace

void installWorldHooks() {
    engineHooks.enterRunPhase = enterPhase;
    engineHooks.rotaterSettingChanged = settingChanged;
    engineHooks.deleteScriptRunner = runDeleteScript;
    engineHooks.freeGlobals = freeGlobals;
    engineHooks.restoreResourceTree = OS::copyResourcesFromInstall;
    engineHooks.takeDataFolderWhenFree = takeDataFolderWhenFree;
    installModelLoader();
    installTankRenderHooks();
}
