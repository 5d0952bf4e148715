// The panel's host: what the panel reads of the shop keeper and asks of it. Without a shop
// keeper every read is neutral (no input yet, no pointer down) and every request is dropped.
#include "interface/controlPanel.h"
#include "script/scripter.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

class CshopPanelHost : public CpanelHost {
  public:
    double lastInputTime() override { return shopKeeper ? shopKeeper->lastActivityTime : 0.0; }
    void setLastInputTime(double seconds) override {
        if (shopKeeper) shopKeeper->lastActivityTime = static_cast<float>(seconds);
    }
    void lastPointerPosition(float& x, float& y) override {
        x = shopKeeper ? shopKeeper->lastPointerPosition.x : 0.0f;
        y = shopKeeper ? shopKeeper->lastPointerPosition.y : 0.0f;
    }
    void lastPressPosition(float& x, float& y) override {
        x = shopKeeper ? shopKeeper->pressPosition.x : 0.0f;
        y = shopKeeper ? shopKeeper->pressPosition.y : 0.0f;
    }
    bool pointerStillDown() override { return shopKeeper && shopKeeper->pointerCount > 0; }
    void setTempInt(int value) override {
        if (shopKeeper) shopKeeper->tempInt = value;
    }
    void setTurnOffMouseIfNoMovement(bool on) override {
        if (shopKeeper) shopKeeper->turnOffMouseIfNoMovement = on ? 1 : 0;
    }
    bool pickerOn() override { return shopKeeper && shopKeeper->pickerOn; }
    void removePanelKeys() override {
        if (shopKeeper) shopKeeper->removePanelKeys();
    }
    unsigned addPanelKey(CscriptLine& line) override {
        if (shopKeeper) shopKeeper->addKeyFunction(line, true);
        return CMD_DONE;
    }
    void realMousePointerOff() override {
        if (shopKeeper) shopKeeper->realMousePointerOff();
    }
    void giveGraceSecondsUntilSequenceRotate() override {
        if (shopKeeper) shopKeeper->giveGraceSecondsUntilSequenceRotate();
    }
    bool sequenceIsChanging() override { return shopKeeper && shopKeeper->sequenceIsTransitioning(); }
    Cstring panelOffScript() override {
        auto* tank = controlPanel ? dynamic_cast<Ctank*>(controlPanel->tank) : nullptr;
        return tank ? tank->panelOffScript : Cstring();
    }
    int runScriptFile(char const* path) override {
        Cvariable* target = shopKeeper ? static_cast<Cvariable*>(shopKeeper) : controlPanel;
        return target ? runDiskScript(target, path) : 1;
    }
    Cvariable* scrollPositionRoot() override { return shopKeeper; }
    float interfaceScale() override { return shopKeeper ? shopKeeper->interfaceScale : 1.0f; }
};

} // namespace

CpanelHost& shopPanelHost() {
    static CshopPanelHost host;
    return host;
}
