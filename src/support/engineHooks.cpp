#include "support/engineHooks.h"

CengineHooks engineHooks;

ChookTable engineHookTable() {
    static constexpr ChookSlot slots[] = {
        HOOK_SLOT(CengineHooks, enterRunPhase, "world"),
        HOOK_SLOT(CengineHooks, rotaterSettingChanged, "world"),
        HOOK_SLOT(CengineHooks, freeGlobals, "world"),
        HOOK_SLOT(CengineHooks, restoreResourceTree, "world"),
        HOOK_SLOT(CengineHooks, takeDataFolderWhenFree, "world"),
        HOOK_SLOT(CengineHooks, makeHTTPrequestAndRunScript, "world"),
        HOOK_SLOT(CengineHooks, startHTTPrequestThread, "world"),
        HOOK_SLOT(CengineHooks, startFileDownload, "world"),
        HOOK_SLOT(CengineHooks, checkForUpdate, "world"),
        HOOK_SLOT(CengineHooks, updateInstalled, "app"),
        HOOK_SLOT(CengineHooks, beginEngineWithoutFile, "app"),
        HOOK_SLOT(CengineHooks, sheetMessage, "options"),
        HOOK_SLOT(CengineHooks, endConfigureSheet, "options"),
        HOOK_SLOT(CengineHooks, deleteScriptRunner, "script"),
        HOOK_SLOT(CengineHooks, modelLoader, "graphics"),
        HOOK_SLOT(CengineHooks, fontLoader, "interface"),
        HOOK_SLOT(CengineHooks, showPasswordPane, "interface"),
    };
    static_assert(slotsAreDistinct(slots));
    return describeHooks("engineHooks", engineHooks, slots);
}
