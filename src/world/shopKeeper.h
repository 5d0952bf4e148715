// The shop keeper: the one top-level controller of the engine.
//
// It starts the engine up (settings, interface, key bindings, sound), runs the frame step
// for every display, saves what must survive and shuts everything down. It is a directory
// of the variable tree: its settings are registered variables that scripts read and write
// and the settings file stores, and while it exists it is the top of the tree.
//
// The files: shopKeeper.cpp (data and variables), shopKeeperStartup.cpp,
// shopKeeperFrame.cpp, shopKeeperShutdown.cpp (with saving and the weekly activity map),
// shopKeeperEnergy.cpp (energy saving and the refresh rate), shopKeeperDisplays.cpp,
// shopKeeperSequences.cpp, shopKeeperTransitions.cpp, shopKeeperTanks.cpp (the tank
// registry), shopKeeperSound.cpp, the input in shopKeeperKeys.cpp and shopKeeperInput.cpp,
// and the script commands in shopCommands.cpp (with shopFeeding.cpp and
// shopPanelCommands.cpp); the parts around it are reached through shopServices.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "support/mystring.h"
#include "variables/variable.h"
#include "world/activityMap.h"
#include "world/shopGlobals.h"
#include "world/shopServices.h"
#include "world/touchPointer.h"

class CgraphicsAPI;
class CnextADSR;
class CscriptHandler;
class CscriptVar;
class CscriptLine;
class Crect;

// One display's working copy of its entry in the loaded sequence.
struct CsequenceSingleViewHolder {
    int16_t tankID = 0;
    // 0 own tank, -1 the right neighbour's, 1 the left neighbour's.
    int16_t xt = 0;
    int16_t wf = 0;
};

// Marks in used (indexed by id, grown as needed) every id >= 0 of the sequence's "tankID".
void markUsedTanks(Cvariable* sequence, std::vector<int>& used);

class CshopKeeper : public CdirectoryVar {
  public:
    // Sets shopKeeper; a second shop keeper ends the process ("dshp"). services must
    // outlive the shop keeper; null uses the program's (worldHooks.shopServices).
    explicit CshopKeeper(CshopServices* services = nullptr);
    ~CshopKeeper() override;
    int getType() override { return TYPE_SHOP_KEEPER; }

    // ---- start-up (shopKeeperStartup.cpp)
    // Registers every variable, makes the directories and hangs the root of the tree first.
    void initVariables();
    // Preview flag, crash question, working folder and variables; 0.
    int startup(int isPreview);
    // Sound, openShop and openAudio; 1 when the saver is exiting at its end, else 0.
    int loadup();
    // Tables, panel, settings, interface, add-ons, key bindings, first sequence; 0 done,
    // 1 failed or exiting.
    int openShop();
    // Hands the sound settings to the audio manager (none: nothing); 0.
    int openAudio();
    // 0, or 1 when a panel was made and its initialisation failed.
    int loadControlPanel();
    void setSeqTransition(uint8_t t);

    // ---- the frame step (shopKeeperFrame.cpp)
    // One display's step; 1 when it ran or was skipped, 0 when updateShop asked to stop.
    int timerMoveFrame(CgraphicsAPI* device);
    // Shows what the viewer must be told (a file of his set aside) on the message page, once
    // a tank is in focus; a screen saver's run shows nothing (stderr has it).
    void showViewerNotes();
    // 0 to go on rendering, non-zero to skip the rest of the step.
    int updateShop();
    void perRefreshStuff();
    // 1 without an active device, else renders (100 when full) and gives 0.
    int updateAndRenderTanks(CgraphicsAPI* device, int16_t full);
    // 1; the timer loop when timer driven.
    int run();
    void timerMessageLoop();

    // ---- shut-down and saving (shopKeeperShutdown.cpp)
    void shutDown();
    // Tears the open shop down (once), then always unhooks the root and deletes the rest.
    void clearShopkeeper();
    // Saves settings and custom variables unless saving is refused; 0 saved or refused, 1
    // when they could not be written (or the data folder is read-only): settingsNotSaved says why.
    // The settings file's text as saveShopSettings writes it.
    std::string settingsFileText();
    int saveShopSettings();
    // Writes "[APD]customVars.txt" from the "customVars" child, when there is one.
    void saveCustomVars();
    // Folds the hours of this run into the weekly activity map.
    void updateHours();
    // Saves what a stop saves (the settings, the tanks, the hours, the registry) without
    // taking anything down: for a run that must end at once, its display gone.
    void saveForSuddenEnd();

    // ---- energy saving (shopKeeperEnergy.cpp)
    void doFullRefreshRate();
    void doHalfRefreshRate();
    void calcAllTankFPS();
    void startEnergyConserveMode(int mode);
    void endEnergyConserveMode(int block);

    // ---- displays (shopKeeperDisplays.cpp)
    // Registers a device in the first free slot ("Out of displays!" when none); the table
    // then owns it. The rate is not used.
    void addDisplay(CgraphicsAPI* device, Crect const& windowRect, int rate);
    // Takes the device out of the table and deletes it; null does nothing.
    void removeDisplay(CgraphicsAPI* device);
    // Orders the used slots by left window edge (stable) and renames them.
    void sortDisplays();
    void rebuildDisplayMenu();
    void invalidateAllDisplays();
    void activateDisplays();
    // Once per frame before the step: takes up a changed display table.
    void checkForDisplayChanges();
    // Binds the tank to the device; null unbinds. A null device does nothing.
    void setDeviceTank(CgraphicsAPI* device, Ctank* tank);
    // Makes the device carry the control panel and the focus; null detaches the panel.
    void setGUItoAPI(CgraphicsAPI* device);
    void setFocusTank(Ctank* tank);
    void possibleWindowSizeChange(CgraphicsAPI* device, Crect const& r);
    void windowSizeChanged(CgraphicsAPI* device);
    void set3Dmode(short mode);
    void windowsToBack();
    void windowsToFront();

    // ---- sequences (shopKeeperSequences.cpp)
    // Shows sequence n now, without a fade; -1 shows nothing anew.
    void displaySequence(int n);
    // The directory of sequence n, made (and for special ones filled) when missing; null
    // for -1 and other unknown negatives.
    Cvariable* sequenceDirectory(int n);
    void fillSequenceHolder(int n);
    void storeSequenceHolder();
    void sendSequenceToDisplays();
    // Clears the span marks equal to direction from start onwards.
    void scanAndRemoveExtendedMonitor(int start, int direction);
    // "xl", "xr" or "msoff": edits the span of the GUI display; 0, or 1 when ignored.
    int monitorSpanCommand(char const* which);
    void displayCurrentTanks(int shown);

    // ---- transitions (shopKeeperTransitions.cpp)
    // Fades to sequence n (n steps away when relative) over fadeSeconds, sliding by slide.
    void nextSequence(short n, bool relative, float fadeSeconds, float slide);
    void setFadeDuration(float seconds);
    // Advances the fade by one frame and switches sequence at full darkness.
    void transitionHandler();
    bool sequenceIsTransitioning() const { return nextSequenceIndex != -1; }
    void giveGraceSecondsUntilSequenceRotate();

    // ---- the tank registry (shopKeeperTanks.cpp)
    // The tank to show for an id, found, rebuilt from its latent script or made anew;
    // null only on failure (with the exit reason).
    Ctank* findTankByID(int id);
    Ctank* findLoadedTankByID(int id);
    Cvariable* findLatentTankScriptByID(int id);
    static Cstring getTankNameByID(int id);
    // A new empty tank under "loadedTanks"; -1 draws a free id. Null when none was made.
    Ctank* allocBlankTankObject(int id);
    int findUnusedTankID();
    void deleteTankByID(int id);
    void removeTank(Ctank* tank);
    // A new member of the species, named and with its geometry; null when the species
    // cannot be had or the member cannot be made.
    Cvariable* makeThing(char const* speciesName, char const* speciesPath);
    // ":addTank type id { block }" (or with no arguments, a fresh id): makes the tank,
    // loads its definition and runs the block in it.
    unsigned addTankCommand(CscriptLine& line);

    // ---- the shop's script commands (shopCommands.cpp)
    // The shop's commands, tested in a fixed order; others climb the tree. 0 handled,
    // 1 "fileRequest" named no variable, 2 a tank or thing could not be made, 3 a page was
    // shown (any of them but 0 ends the running script).
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // The shop's script constants (the bits of "features"): 0 and the value, or 1.
    int getLocalConstant(Cstring name, double& value) override;
    // Hands the thing message to every thing of every loaded tank; f -1 when not given.
    void messageAllThingsAllTanks(char const* a, char const* b, float f);
    // The pool of queued moves of the animated values (the process's; never emptied while
    // the program runs).
    CnextADSR* fetchADSR();
    void addADSR(CnextADSR* node);
    void deleteADSRs();

    // ---- sequence commands (shopKeeperSequences.cpp)
    // ":seq move|set n [fade seconds] [slide]" and ":seq delete n"; CMD_DONE.
    unsigned sequenceCommand(CscriptLine& line);
    // Deletes sequence n (-6: the preview sequence) with the tanks it names and shows what
    // was shown before (or its neighbour). A number that names no sequence does nothing,
    // nor does deleting the last ordinary sequence.
    void deleteSequence(int n);

    // ---- the panel's commands (shopPanelCommands.cpp)
    // ":panel on" takes the panel keys away and moves the panel into the focus tank; any
    // other word switches it off.
    unsigned panelCommand(CscriptLine& line);
    // ":page page [argument]": with a focus tank, the page in "main_pane" and 3 (the script
    // stops there); without one nothing and 0.
    unsigned pageCommand(CscriptLine& line);
    // ":pane|toggle_pane pane script [argument]"; a toggled open pane closes instead.
    unsigned paneCommand(CscriptLine& line, bool toggle);
    // The page in the panel's "main_pane" (nothing without a panel).
    void showPage(Cstring const& page, char const* argument);
    // The flex page, which shows "flexText", opens at the next frame.
    void showFlexMessage();
    // Rebuilds the tank in focus as the type of that name: saved, removed and made again
    // with its id from what was saved, then shown with the panel.
    void changeTank(Cstring const& typeName);

    // ---- sound (shopKeeperSound.cpp)
    // ":soundmix start|end|nextTrickle|lowBubbles|hiBubbles|redo"; CMD_DONE.
    unsigned soundMixCommand(CscriptLine& line);
    // Scales the track volumes so the loudest reaches peak (as far as the master allows),
    // moving the gain into or out of the master: every track x master stays the same.
    void maximizeVolumes(float peak);
    // Hands the four volumes to the sound manager (none: nothing).
    void defineSoundVolumes();

    // ---- keys (shopKeeperKeys.cpp)
    // Makes the key-map directory "keymaps".
    void initInputProcessing();
    // One key in the engine's codes (keyMap.h): a few act directly, the rest run their
    // bindings. 1.
    int keyPressed(int code);
    // Runs the key's binding, else the binding "ANY"; 0 when a script ran or there was
    // none, 1 after a failed script (a failed binding is an exit error, "faccfail").
    int executeKeyScript(int code);
    // Binds the line's first argument to the line's block, found before older bindings of
    // that name; a panel binding goes with the next pane that closes.
    void addKeyFunction(CscriptLine& line, bool panelKey);
    // Puts every panel binding into the trash.
    void removePanelKeys();
    // ":fileRequest path": a chooser for the variable at path; CMD_NOT_HANDLED (with the
    // exit reason) when there is none.
    unsigned fileRequestCommand(CscriptLine& line);
    // ":mouse on|off": the food pointer off and the real pointer shown or hidden.
    unsigned mouseCommand(CscriptLine& line);
    // Every key binding goes (into the trash: a binding may be running).
    void clearKeys();
    // Asks the platform for a picture for the focused tank, starting in folder; once
    // chosen, its path is written into target (when it still exists) and
    // "/std_scripts/set_new_bg_image" runs. Cancelling changes nothing. 0.
    int fileRequest(Cstring folder, Cvariable* target);
    // Hands a chosen picture to the focused tank's background script; a file the decoders
    // cannot read changes nothing, and the panel's message page names it.
    void setFocusTankBackgroundImage(char const* path);

    // ---- mouse, wheel and pointer (shopKeeperInput.cpp). Positions are pixels of the
    // pointer's display, y upward.
    // 1 when neither a script nor the interface took the press (in saver mode it ends
    // the saver, "mouse clicked").
    int mouseButtonDown(int x, int y);
    int mouseButtonUp(int x, int y);
    void mouseWheel(int notches);
    // The pointer moved: shaking shows the real pointer; at most once per frame the
    // motion may end the saver ("mouse move", then 1), end energy saving or reach the
    // interface.
    int mouseMove(CtouchPointer& pointer);
    void processTouchPointerMove(CtouchPointer& pointer);
    // Once per frame: the wheel turned into a two-finger pinch of the focus tank, then the
    // pointers' moves and buttons.
    void processMouseAndTouchEvents();
    // 1 "activate app", 3 "monitor off", 4 "closed by system"; 1 when handled.
    int messageFromSystem(int code);
    void activateApp(int how);
    // Tips (non-zero) or rights the food shaker; nothing while there is none.
    void shakeFoodShaker(int down);
    // The food shaker stops being the pointer: out of its tank, and click-feeding ends.
    void fakeMousePointerOff();
    // Sets the real pointer's visibility; the any-pointer-on flag after it.
    int setRealMouseVisible(int shown);
    int recalcAnyMousePointerIsOn();
    void realMousePointerOn();
    // The pointer hides itself 10 seconds after the last movement.
    void realMousePointerOff();

    // ":feed off|screen N|instant|1|4|top|2|ctrl|3": drops food, or starts and stops
    // feeding with the shaker (shopFeeding.cpp). CMD_DONE, or CMD_STOP when the shaker
    // could not be set up.
    unsigned feedCommand(CscriptLine& line);
    // Click-feeding ends: "feedMode" 0, the shaker pointer off, no mouse scripts.
    void feedingOff();
    // A script changed a setting: the registry is saved, or the focus tank marked changed,
    // by the kind of the setting's parent; a setting of another parent is only traced.
    void settingWasChanged(Cvariable* setting);

    CshopServices& services() { return *shopServices; }

    // ---- registered variables
    short displayedSequence = 0;
    short numSequences = 0;
    short seqRotType = 2;
    short seqTransType = 1;
    int secsSinceSeqRot = 0;
    short alfixset = 0;
    int currentDate = 0;
    short isMac = 1;
    short returnToSeq = 0;
    Cstring returnTankType;
    short isWin = 0;
    short hasMouse = 1;
    short newGui = 0;
    short returnToTankID = 0;
    short highlight = 0; // also "highlightOn"
    int addFishSeed = 0;
    float barThick = 0.1f;
    float dragThreshold = 0.0f;
    short overstuff = 0;
    int globalSeconds = 0;
    float scriptSavedWithVersion = 0.0f;
    float crabMood = 2.0f;
    float bezel = 0, bshift = 0, m2vs = 0;
    short canDoFadeVar = 1, canDoMultAddVar = 0; // "canDoFade", "canDoMultAdd"
    short inClickFeedingMode = 0;
    short debug = 0;
    Cstring seqRotScript;
    short seqRotScriptSeconds = -1;
    short motionSensingOn = 0;
    short tabIsDown = 0, pickerOn = 0;
    short allowUpdates = 1;
    short doLogo = 0;
    short autoFeedSeconds = 300;
    short pooMode = 0;
    short exitStrategy = 0;
    short exitOnMouse = 0;
    short shiftIsDown = 0;
    short fakeMouseIsOn = 0;
    short inAppCom = 1;
    short failed = 0;
    short allowOnlineVar = 1; // "allowOnline"
    float masterVolume = 0.05f;
    float trickleVolume = 0.2f, lowBubbleVolume = 0.2f, hiBubbleVolume = 0.2f;
    short lowBubblesVersion = 0, hiBubblesVersion = 0;
    short mnulFood = 0;
    short feedMode = 0;
    short defFeedMode = 2;
    short ch4up = 0;
    short allowSeqChng = 1;
    float worldScale = 1.0f;
    Cstring focusTank;
    short focusTankID = 0;
    Cstring focusTankType;
    Cstring settingsTimeStamp;
    int tempInt = 0;
    float nextPageTimer = 0;
    Cstring nextFrameCommand;
    short turnOffPopup = 0;
    short isMakingRequest = 0;
    float guiMonitorAspect = 0;
    Cstring flexText;
    float tempFloat = 0;
    short xdel = 0;
    Cstring trickleSample;
    short doCPU = 0;

    // ---- unbound variables and directories kept by pointer
    Cvariable* focusTankPath = nullptr;
    Cvariable* currentTankPath = nullptr;
    Cvariable* focusDevicePath = nullptr;
    Cvariable* miscOutput = nullptr;
    Cvariable* cpu = nullptr;
    Cvariable* fishAnimCycles = nullptr;
    Cvariable* loadedTanks = nullptr;
    Cvariable* latentTanks = nullptr;
    Cvariable* sequences = nullptr;
    Cvariable* displays = nullptr;

    // ---- unregistered fields
    CshopPanel* controlPanel = nullptr;
    // Input. Pointer 0 is the mouse the host feeds; pointer 1 the wheel's second finger.
    CtouchPointer touchPointers[2];
    Cvariable* keymaps = nullptr;
    // While not empty they take the button events (click-feeding sets them).
    Cstring mouseDownScript, mouseUpScript;
    // Running as a screen saver: input not meant for the interface ends it.
    uint8_t saverMode = 0;
    // Set by every frame step; pointer motion is evaluated at most once per frame.
    uint8_t frameGate = 0;
    uint8_t wheelPinch = 1;   // the wheel zooms the focus tank
    uint8_t pinchRelease = 1; // both pointers let go after each pinch step
    int pointerCount = 0;     // pointers down, counted each frame
    double lastMovementTime = 0;
    int pressFrame = 0;
    Cvector2 pressPosition, lastPointerPosition;
    float shakeLeft = 0, shakeRight = 0;
    float wheelAccumulator = 0, previousWheelValue = 0;
    double lastWheelTime = 0;
    // The press went to the focus tank itself (a shop without a control panel), and the
    // tank's press, drag and release commands, parsed once.
    uint8_t tankHasPress = 0;
    std::unique_ptr<CscriptVar> tankPointerScripts[3];
    // The file request waiting for the platform's answer: its number (0 none) and where
    // the chosen path goes, as a path from the shop keeper.
    int fileRequestNumber = 0;
    Cstring fileRequestTarget;
    // The shaker that follows the pointer while click-feeding; null until first needed.
    Cvariable* foodShaker = nullptr;
    // While above 0 the tank takes clicks for the interface's and ignores them.
    short clickIgnoreCount = 0;
    CshopAudio* audioManager = nullptr;
    // Set while the sound pane plays the tracks on their own players.
    uint8_t soundMixActive = 0;
    uint8_t shopIsOpen = 0;
    uint8_t shopOpenSecondFlag = 0;
    uint8_t pointerHideAllowed = 1;
    uint8_t autoHideRealPointer = 1;
    uint8_t realPointerHidePending = 0;
    uint8_t realMouseVisible = 1;
    uint8_t anyMousePointerIsOn = 1;
    uint8_t allowDisturbExit = 0;
    short quitSecondsLeft = -1;
    int noPresent = 0;
    uint8_t frameStepDone = 0;
    bool updating = false; // inside updateShop: a tank may be half built
    uint8_t requestInProgress = 0;
    uint8_t ignoreActivationThisFrame = 0;
    float secondsShowingSequences = 0;
    float lastActivityTime = 0;
    int startHourOfWeek = 0;
    uint8_t timerDriven = 0;
    uint8_t energyConserveOn = 0;
    uint8_t energySavingBlocked = 0;
    float fadePosition = 0, fadeSpeed = 0;
    short nextSequenceIndex = -1;
    short loadedHolderSequence = -1;
    uint8_t saveChanges = 1;
    uint8_t settingsSaveRequested = 0;
    uint8_t dontSaveUnderAnyCircumstances = 0;
    // A kept file whose lines ran here was set aside: this engine makes way for one without it
    // (the notes meanwhile are the next one's to show).
    uint8_t beginsAgain = 0;
    uint8_t saveFailureTold = 0; // the message page said the settings are not saved
    // The species whose saved things this run could not make, each said once.
    std::vector<Cstring> missingSpeciesTold;
    int secondsUntilSequenceRotate = 0;
    float refreshRateFactor = 1.0f;
    int refreshesSinceDisplay = 0;
    int slowRefreshCount = 0;
    Cstring addonsBrief;
    // Displays and sequences.
    std::vector<CsequenceSingleViewHolder> sequenceHolder;
    Cvariable* currentSequenceDir = nullptr;
    CgraphicsAPI* guiDisplay = nullptr;
    Ctank* focusTankObject = nullptr;
    uint8_t displaysChanged = 0;
    uint8_t transitionRequested = 0;
    short threeDMode = 0;
    // Whether the pointer may hide while it does not move (the panel sets it), and the
    // interface's scale.
    short turnOffMouseIfNoMovement = 0;
    float interfaceScale = 1.0f;

  private:
    CshopServices* shopServices;
    // The fraction of a second gathered between whole seconds of the frame step.
    float secondAccumulator = 0.0f;
    void oncePerSecond();
};

// A tank's step per rendered frame: at most 1.
float tankStepPerFrame(float refreshRateFactor, float worldSpeed, float refreshRate);
