// One fuzz input for pane scripts: the bytes run as the page of a pane on a panel that has
// no quads and no font; then the panel runs frames while the pointer presses, drags and
// releases across the screen and turns the wheel, and every pane is closed. Bad text may
// fail, but must not crash or hang.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"

inline void runPaneScriptFuzzInput(uint8_t const* data, size_t size) {
    CdirectoryVar scene;
    scene.setName("scene");
    auto* panel = new CcontrolPanel();
    scene.addVariable(panel, 1);
    if (CgroupWidgetVar* pane = panel->showPane("fuzz", "create", "", true)) {
        CscriptVar script;
        script.processStringScript(reinterpret_cast<char const*>(data), size);
        runScript(pane, &script);
    }
    for (int frame = 0; frame < 4; frame++) {
        float x = 0.25f * static_cast<float>(frame), y = 1.0f - x;
        panel->mouseMove(x, y);
        panel->mouseButtonDown(x, y);
        panel->mouseMove(y, x);
        panel->mouseWheel(frame - 2);
        panel->mouseButtonUp(y, x);
        panel->update();
    }
    panel->panelOff();
    panel->update();
    panel->unhook();
    delete panel;
    resetExitState();
}
