// The control panel: the one in-scene menu, itself a scene thing of the tank that has the
// interface.
//
// Its model is a flat mesh of quads that the panel hands out as a pool of image boxes, one
// per shown widget. Over the pool sits the widget tree rooted in "allWidgetsRoot", whose
// first level are the panes: groups built by running pane scripts. The panel keeps the page
// history of "main_pane", the widget under the pointer, the one that took the press, the
// pop-up sub-menu of a rotater's choices and the idle time-out of panes.
//
// The files: controlPanel.cpp (making, the pool, commands, the per-frame update, showing),
// controlPanelPanes.cpp (panes, history, sub-menus), controlPanelMouse.cpp (pointer routing).
#pragma once

#include <vector>

#include "interface/imageBox.h"
#include "support/rect.h"
#include "things/basicDeformThing.h"

class CfishFont;
class CgraphicsAPI;
class CgroupWidgetVar;
class CrotaterVar;
class CtextWidgetVar;
class CverticalSlider;
class CwidgetVar;

class CcontrolPanel;
// The one panel; null while there is none.
extern CcontrolPanel* controlPanel;

// Variable flag of a pane being closed.
constexpr unsigned PANE_CLOSING = 0x4000u;

// What the panel reads of the shop keeper and asks of it (the keys, the pointer, the
// sequences). The panel starts with the shop keeper's (shopPanelHost(), panelHost.cpp);
// tests give their own.
class CpanelHost {
  public:
    virtual ~CpanelHost() = default;
    // Global time of the last key, button, wheel or pointer event.
    virtual double lastInputTime() = 0;
    virtual void setLastInputTime(double seconds) = 0;
    // The last processed pointer position and the last press position, window pixels.
    virtual void lastPointerPosition(float& x, float& y) = 0;
    virtual void lastPressPosition(float& x, float& y) = 0;
    // Whether a pointer still counts as pressed.
    virtual bool pointerStillDown() = 0;
    // The "tempInt" integer that zoned widgets write.
    virtual void setTempInt(int value) = 0;
    virtual void setTurnOffMouseIfNoMovement(bool on) = 0;
    virtual bool pickerOn() = 0;
    virtual void removePanelKeys() = 0;
    // "addKey" of the panel: a key binding that goes when a pane closes.
    virtual unsigned addPanelKey(CscriptLine& line) = 0;
    virtual void realMousePointerOff() = 0;
    virtual void giveGraceSecondsUntilSequenceRotate() = 0;
    virtual bool sequenceIsChanging() = 0;
    // The script of the panel's tank for when nothing is open ("panelOffScript").
    virtual Cstring panelOffScript() = 0;
    // Runs a script file of the resource tree on the shop keeper; 0 done.
    virtual int runScriptFile(char const* path) = 0;
    // Where "prepSlider" files its scroll positions.
    virtual Cvariable* scrollPositionRoot() = 0;
    // The shop keeper's interface scale.
    virtual float interfaceScale() = 0;
};
// The shop keeper's side (any of its reads give neutral values while there is no shop keeper).
CpanelHost& shopPanelHost();

class CcontrolPanel : public CbasicDeformThing {
  public:
    // Sets controlPanel, registers the variables, makes the directories and the root
    // group, requests the font and resets the widget frame.
    CcontrolPanel();
    // Hides the panel and destroys the widgets, the boxes and the font; clears controlPanel.
    ~CcontrolPanel() override;
    // "addKey", "prepSlider"; others go to the thing's commands.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // The pool of image boxes from the model. 0, or 1 when the model is unfit (recorded).
    int doExtraInit() override;
    // Binds the model like any deformable mesh; the panel never blends between frames.
    int resetThing(int mode) override;
    // The per-frame work; 0.
    int update() override;
    // The shop keeper's side, or a test's.
    CpanelHost& host() { return *panelHost; }
    void setHost(CpanelHost& h) { panelHost = &h; }

    // ---- showing ----
    void setDisplayed(bool on, bool runSavedScript);
    using CbasicDeformThing::setDisplayed;
    void changeScreenAspect();
    // Places the group over the screen rectangle (centred, in root units).
    void rectWithinScreen(CgroupWidgetVar* pane, Crect const& r);
    // Box 0 as the background over r, the frame round it.
    void setPanelBGbounds(Crect const& r, float border);
    void hidePanelBackground();
    // The display's height in pixels (its window), 720 without a display.
    float displayHeight() const;
    // The display's interface rectangle; (0, 1, 0, 1) without a display.
    Crect guiViewport() const;

    // ---- panes (controlPanelPanes.cpp) ----
    // Opens (or with page "off" closes, "*back" goes back in) the pane; the pane or null.
    CgroupWidgetVar* showPane(Cstring const& name, Cstring const& page, Cstring const& script,
                              bool addToHistory);
    // 0 closed, 1 a held pane stayed open. Null closes every pane but the current one and
    // those with a child "noDelete".
    int closePane(CgroupWidgetVar* pane);
    void closePane(char const* name);
    void deletePane(CgroupWidgetVar* pane);
    void panelOff();
    bool hasPane(char const* name);
    CgroupWidgetVar* findExistingPane(char const* name);
    bool hasVisiblePanes();
    void doNoPanesPaneIfNecessary();
    Cstring createScriptToRecreateCurrentPanes();
    void clearHistory();
    Cstring getLastPage();
    void deleteLastHistory();
    void addHistoryPage(Cstring const& page);
    // ---- sub-menus ----
    void doSubMenu(CtextWidgetVar* owner, CrotaterVar* rotater);
    void subMenuOff();
    void suspendActiveWidgets(bool suspend);

    // ---- boxes ----
    // A widget with a string "hideWhilePane" naming a pane is not drawn while that pane is
    // open (the corner's "Menu" under the bar's own); run each frame after the widgets.
    void hideWidgetsUnderPanes();
    CimageBoxVar* findFreeImageBox();
    void freeImageBox(CimageBoxVar* box);
    CimageBoxVar* box(int n) {
        return n >= 0 && n < static_cast<int>(boxes.size()) ? boxes[size_t(n)] : nullptr;
    }
    int boxCount() const { return static_cast<int>(boxes.size()); }
    void setVerticalSlider(CverticalSlider* slider) { verticalSlider = slider; }

    // ---- the pointer (controlPanelMouse.cpp); coordinates in window pixels ----
    CwidgetVar* findFocusWidget(float x, float y);
    int mouseMove(float x, float y);
    int mouseButtonDown(float x, float y);
    int mouseButtonUp(float x, float y);
    int mouseWheel(int notches);
    // Window pixels of the panel's display into its interface rectangle, in place.
    void toInterface(float& x, float& y) const;
    // Forgets the widget wherever the panel keeps it (focus, pressed, sub-menu owner).
    void forgetWidget(CwidgetVar* widget);
    // The panel's font, requested again when it has none; null when it cannot be had.
    CfishFont* font();

    // ---- registered variables ----
    short numHistory = 0;
    short isClosing = 0;
    short tourPage = 0;
    short useOriginalAspect = 0;
    short showingPane = 0;
    float fontSize = 32.0f;
    short holdTutorialPane = 0; // "hold_tutorial_pane"
    Cstring panelType;
    float mps = 1.0f;
    short isPointless = 0;
    float width = 0, height = 0, halfWidth = 0, aspect = 0;
    // The animal the panel's tank has in focus, for pages that show it: its species' common
    // name ("commonName" of the species, else the species' name), its "about" text and its
    // size. Pages bind texts to them; they follow the focus.
    Cstring pickedName, pickedAbout;
    float pickedSize = 0.0f;

    // ---- the rest ----
    CdirectoryVar* imageBoxes = nullptr;
    CdirectoryVar* trash = nullptr;
    CgroupWidgetVar* allWidgetsRoot = nullptr;
    CgraphicsAPI* display = nullptr;
    CfishFont* panelFont = nullptr;
    std::vector<CimageBoxVar*> boxes;
    std::vector<Cstring> pageHistory;
    Cstring recreationScript;
    CgroupWidgetVar* currentPane = nullptr;
    CwidgetVar* focusWidget = nullptr;
    CwidgetVar* pressedWidget = nullptr;
    CtextWidgetVar* subMenuOwner = nullptr;
    uint8_t subMenuHeld = 0;
    float buttonDownTime = 0.0f;
    float singleClickRegisterTime = 0.0f;
    uint8_t thingWasClicked = 0;
    uint8_t needsMouseMove = 0;
    uint8_t holdNoPane = 0;
    CverticalSlider* verticalSlider = nullptr;
    float wheelStep = 0.1f;
    Cvariable* sliderPosition = nullptr; // the float "prepSlider" made
    float quadDepth = 0.0f;
    float backgroundBorder = 0.0f;
    // The frame's points: inner corners, then outer corners (model points with "panel" -2).
    std::vector<int> framePoints;

  private:
    // Refreshes the picked animal's texts when the tank's focus changed.
    void followPickedAnimal();
    CpanelHost* panelHost;
    Cvariable* pickedLinks[3] = {};
    Cvariable* pickedThing = nullptr;
};
