// The shop's commands for the control panel: opening and closing panes and showing pages
// in "main_pane", the flex message page, and rebuilding the tank in focus as another type.
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"

namespace {
// What "page" gives back: the script that showed a page stops there.
constexpr unsigned kPageShown = 3;
} // namespace

void CshopKeeper::showPage(Cstring const& page, char const* argument) {
    if (controlPanel) controlPanel->showPane("main_pane", page.c_str(), argument ? argument : "", true);
}

void CshopKeeper::showFlexMessage() {
    nextFrameCommand = ":page /std_scripts/flexMessage ";
}

void CshopKeeper::changeTank(Cstring const& typeName) {
    Ctank* tank = focusTankObject;
    Cvariable* node = services().tankNode(tank);
    if (tank == nullptr || node == nullptr || typeName.empty()) return;
    if (controlPanel) controlPanel->setDisplayed(0, 0);
    if (Cvariable* type = node->getChild("tankTypeName")) type->setString(typeName.c_str());
    // The tank as the settings would keep it, rebuilt from that text in memory: its id and its
    // animals stay, in a run that may write nothing in the data folder too.
    std::string saved = node->settingsText(false, false);
    VTRACE(2, "focustank = " << node->getName());
    setFocusTank(nullptr);
    removeTank(tank);
    CscriptVar script;
    if (script.processStringScript(saved.c_str(), saved.size()) == 0) runScript(this, &script);
    services().displaySequence(*this, displayedSequence);
    setGUItoAPI(guiDisplay);
    if (controlPanel) controlPanel->setDisplayed(1, 1);
}

unsigned CshopKeeper::panelCommand(CscriptLine& line) {
    Cstring word = line.tokenCount() > 0 ? line.getString(0, false) : Cstring();
    if (word == "on") {
        removePanelKeys();
        if (controlPanel && focusTankObject) controlPanel->setToTank(focusTankObject);
    } else if (controlPanel) {
        controlPanel->panelOff();
    }
    return CMD_DONE;
}

unsigned CshopKeeper::pageCommand(CscriptLine& line) {
    if (focusTankObject == nullptr) return CMD_DONE;
    if (controlPanel) controlPanel->closePane("bar");
    Cstring page = line.getString(0, true);
    Cstring argument = line.tokenCount() > 1 ? line.getString(1, true) : Cstring();
    showPage(page, argument.c_str());
    return kPageShown;
}

unsigned CshopKeeper::paneCommand(CscriptLine& line, bool toggle) {
    if (controlPanel == nullptr) return CMD_DONE;
    Cstring pane = line.getString(0, true);
    Cstring script = line.getString(1, true);
    Cstring argument = line.tokenCount() > 2 ? line.getString(2, true) : Cstring();
    // A pane closed by its name, the last one open among them, leaves the panel with none.
    if ((toggle || script == "off") && controlPanel->findExistingPane(pane.c_str())) {
        controlPanel->closePane(pane.c_str());
        controlPanel->doNoPanesPaneIfNecessary();
        return CMD_DONE;
    }
    // Opening a pane from a pane's own script leaves that pane the one being made.
    Cvariable* kept = controlPanel->currentPane();
    controlPanel->showPane(pane.c_str(), script.c_str(), argument.c_str(), true);
    controlPanel->setCurrentPane(kept);
    return CMD_DONE;
}
