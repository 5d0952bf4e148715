#include "interface/interfaceKinds.h"

#include "graphics/graphicsMaster.h"
#include "interface/controlPanel.h"
#include "interface/fishFont.h"
#include "interface/groupWidget.h"
#include "support/engineHooks.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/thingFactory.h"
#include "world/velmoraFunctions.h"

namespace {

// The panel as the shop keeper sees it; deleting it deletes the panel.
class CshopControlPanel : public CshopPanel {
  public:
    explicit CshopControlPanel(CcontrolPanel* p) : panel(p) {}
    ~CshopControlPanel() override {
        panel->setToTank(nullptr);
        panel->prepareForDelete();
        delete panel;
    }
    Cvariable* node() override { return panel; }
    int doExtraInit() override { return panel->doExtraInit(); }
    void resetThing(int how) override { panel->resetThing(how); }
    // The shop keeper marks its panel as an interface thing.
    void setThingFlag(unsigned) override { panel->attributes |= THING_INTERFACE; }
    int update() override { return panel->update(); }
    bool isDisplayed() override { return panel->displayed != 0; }
    void setDisplayed(int shown, int runSavedScript) override {
        panel->setDisplayed(shown != 0, runSavedScript != 0);
    }
    bool showingPane() override { return panel->showingPane != 0; }
    bool isPointless() override { return panel->isPointless != 0; }
    void panelOff() override { panel->panelOff(); }
    Cvariable* findExistingPane(char const* name) override { return panel->findExistingPane(name); }
    void closePane(char const* name) override { panel->closePane(name); }
    Cstring currentPaneName() override {
        Cvariable* last = panel->allWidgetsRoot->widgetList()->getLastChild();
        return last ? last->name : Cstring();
    }
    void setTankWasClicked(int on) override { panel->thingWasClicked = static_cast<uint8_t>(on != 0); }
    CgraphicsAPI* device() override { return panel->display; }
    void setDevice(CgraphicsAPI* d) override { panel->display = d; }
    void setToTank(Ctank* tank) override { panel->setToTank(tank); }
    Cvariable* showPane(char const* name, char const* page, char const* script, bool addToHistory) override {
        return panel->showPane(name, page, script, addToHistory);
    }
    void doNoPanesPaneIfNecessary() override { panel->doNoPanesPaneIfNecessary(); }
    void clearHistory() override { panel->clearHistory(); }
    void deleteLastHistory() override { panel->deleteLastHistory(); }
    Cvariable* currentPane() override { return panel->currentPane; }
    void setCurrentPane(Cvariable* pane) override {
        panel->currentPane = dynamic_cast<CgroupWidgetVar*>(pane);
    }
    Cvariable* widgetsRoot() override { return panel->allWidgetsRoot; }
    int mouseMove(float x, float y) override { return panel->mouseMove(x, y); }
    int mouseButtonDown(float x, float y) override { return panel->mouseButtonDown(x, y); }
    void mouseButtonUp(float x, float y) override { panel->mouseButtonUp(x, y); }
    int mouseWheel(int notches) override { return panel->mouseWheel(notches); }

  private:
    CcontrolPanel* panel;
};

// A locked web page shows the password pane instead, when there is a panel to show it.
bool showPasswordPane() {
    CshopPanel* panel = shopKeeper ? shopKeeper->controlPanel : nullptr;
    return panel && panel->showPane("main_pane", "/std_scripts/pass_err", "main.gui", true) != nullptr;
}

} // namespace

void installInterfaceKinds() {
    registerThingMaker("control_panel_new", []() -> Cvariable* { return new CcontrolPanel(); });
    engineHooks.fontLoader = loadFishFont;
    engineHooks.showPasswordPane = showPasswordPane;
}

CshopPanel* makeShopControlPanel(CshopKeeper& shop) {
    Cvariable* thing = shop.makeThing("gui_panel", nullptr);
    auto* panel = dynamic_cast<CcontrolPanel*>(thing);
    if (panel == nullptr) {
        delete thing;
        return nullptr;
    }
    panel->attributes |= THING_INTERFACE;
    return new CshopControlPanel(panel);
}
