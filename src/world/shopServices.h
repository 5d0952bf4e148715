// What the shop keeper reaches in the parts built around it: the in-scene control panel,
// the bubble and trickle sound, and the displays, sequences and tanks.
//
// Each is an interface so that the shop keeper runs, and is tested, without them: no
// panel and no sound are normal states, and the neutral CshopServices shows no tank.
#pragma once

#include "support/mystring.h"

class CgraphicsAPI;
class CshopKeeper;
class Ctank;
class CtouchPointer;
class Cvariable;

// The control panel as the shop keeper uses it.
class CshopPanel {
  public:
    virtual ~CshopPanel() = default;
    // The panel's node: scripts meant for the panel run on it.
    virtual Cvariable* node() = 0;
    // Non-zero on failure.
    virtual int doExtraInit() = 0;
    virtual void resetThing(int how) = 0;
    virtual void setThingFlag(unsigned bits) = 0;
    // Non-zero on failure.
    virtual int update() = 0;
    virtual bool isDisplayed() = 0;
    // Hides the panel (keeping what recreates its panes) or shows it again.
    virtual void setDisplayed(int shown, int flag) = 0;
    virtual bool showingPane() = 0;
    virtual bool isPointless() = 0;
    virtual void panelOff() = 0;
    // The open pane of that name, or null.
    virtual Cvariable* findExistingPane(char const*) { return nullptr; }
    virtual void closePane(char const*) {}
    // The name of the pane in front; empty when none is open.
    virtual Cstring currentPaneName() { return Cstring(); }
    // Marks whether the last release on the tank was a click that the panel reacts to.
    virtual void setTankWasClicked(int) {}
    // The root of the widget tree: key scripts run on it while a tank has the focus.
    virtual Cvariable* widgetsRoot() = 0;
    // The pointer, in pixels of the panel's display with y upward. A press returns 1 when
    // a widget took it; a move returns 1 when a widget is under the pointer.
    virtual int mouseButtonDown(float x, float y) = 0;
    virtual void mouseButtonUp(float x, float y) = 0;
    virtual int mouseMove(float x, float y) = 0;
    // 1 when a scrolling list took the wheel.
    virtual int mouseWheel(int notches) = 0;
    // The display the panel sits on, or null.
    virtual CgraphicsAPI* device() = 0;
    virtual void setDevice(CgraphicsAPI*) {}
    // Moves the panel into the tank's scene; null takes it out of any tank.
    virtual void setToTank(Ctank*) {}
};

// The sound manager as the shop keeper uses it.
class CshopAudio {
  public:
    virtual ~CshopAudio() = default;
    // Starts playback; 0 when the sound could start.
    virtual int start() = 0;
    // The manager keeps a pointer to the name of the trickle sample in use.
    virtual void keepTrickleSampleName(Cstring* name) = 0;
    virtual void addTrickleSound(char const* name, char const* file) = 0;
    // Loads the chosen trickle (advance: the next one); 0 loaded, 1 none.
    virtual int setTrickleSound(int advance) = 0;
    // Select the bubble track variants; each returns the variant now in force.
    virtual short setLowBubbles(short variant) = 0;
    virtual short setHiBubbles(short variant) = 0;
    virtual void defineIndividualVolumes(float trickle, float hiBubbles, float lowBubbles, float master) = 0;
    // The one mixed, faded loop (the normal state) or each track on its own player.
    virtual void generateSingleTrack() = 0;
    virtual void multiTrackMode() = 0;
    // Each track's player at its own volume x master (multi-track mode).
    virtual void setAllTrackVolumes() = 0;
    // Gives track i (0 low bubbles, 1 high bubbles, 2 trickle) to its player again and plays it.
    virtual void refreshPlayerSample(int track) = 0;
    // Playback volume = master volume x factor.
    virtual void fadeVolume(float factor) = 0;
    virtual void managePlaybackStaggering() = 0;
};

// Displays, sequences, tanks and input as the shop keeper's steps call them. Every operation
// is the program's to fill (CtankShopServices and the program's wiring); the stand-ins of
// the tests live in the test support.
class CshopServices {
  public:
    virtual ~CshopServices() = default;

    // ---- parts the shop keeper makes
    virtual CshopPanel* makeControlPanel(CshopKeeper&) = 0;
    virtual CshopAudio* makeAudioManager(CshopKeeper&) = 0;

    // ---- displays and sequences
    virtual void displaySequence(CshopKeeper&, int) = 0;
    virtual void fillSequenceHolder(CshopKeeper&, int) = 0;
    // Step relative (or absolute), fading out and in over the given seconds.
    virtual void nextSequence(CshopKeeper&, int, bool, float, float) = 0;
    virtual void transitionHandler(CshopKeeper&) = 0;
    virtual void setGUItoAPI(CshopKeeper&, CgraphicsAPI*) = 0;
    virtual void setDeviceTank(CshopKeeper&, CgraphicsAPI*, Ctank*) = 0;
    virtual void windowSizeChanged(CshopKeeper&, CgraphicsAPI*) = 0;
    virtual void set3Dmode(CshopKeeper&, short) = 0;
    // Takes the device out of the display table (and deletes it when the table owns it).
    virtual void removeDisplay(CshopKeeper&, CgraphicsAPI* device);
    // Updates and draws the device's tank once per master frame (the device's render pass).
    virtual void renderFraction(CgraphicsAPI& device, float fraction);

    // ---- tanks
    // Sets the tank's simulation step per rendered frame.
    virtual void setTankStep(Ctank*, float) = 0;
    virtual float tankWorldSpeed(Ctank*) = 0;
    // A new empty tank of this shop, not yet in the tree; null when none can be made.
    virtual Ctank* newTank(CshopKeeper&) = 0;
    // The tank's node in the variable tree (its parent is its holder); null for null.
    virtual Cvariable* tankNode(Ctank*) = 0;
    virtual int tankID(Ctank*) = 0;
    virtual void setTankID(Ctank*, int) = 0;
    virtual Cstring tankTypeName(Ctank*) = 0;
    // Runs the tank definition of that name; 0 done, 1 failed.
    virtual int loadDefinition(Ctank*, char const*) = 0;
    // Readies a loaded tank for its first update and runs its post-load script.
    virtual void prepForAction(Ctank*) = 0;
    // The tank behind a node of the tree; null when the node is no tank.
    virtual Ctank* asTank(Cvariable*) = 0;
    // Sets the seconds counted towards the next automatic feeding.
    virtual void setAutoFeedCounter(Ctank*, int) = 0;
    // Set while a saved tank is being rebuilt (the fish caps read it).
    virtual void setTankLoading(Ctank*, bool) = 0;
    // Takes out the animals the tank's definition added, before its saved ones come back.
    virtual void dropDefinitionAnimals(Ctank*) = 0;
    // The scripts a click on a fish and on the background run.
    virtual void setClickScripts(Ctank*, char const*, char const*) = 0;
    // The tank draws on the device too: attached, stepped at its rate, shown, views rebuilt.
    virtual void attachTank(Ctank*, CgraphicsAPI*) = 0;
    // The tank leaves the device; the number of devices still showing it.
    virtual int detachTank(Ctank*, CgraphicsAPI*) = 0;
    virtual void disconnectFromDevices(Ctank*) = 0;
    virtual void setTankDisplayed(Ctank*, bool) = 0;
    // Update state 0: the tank's update does nothing until it is shown again.
    virtual void stopTankUpdates(Ctank*) = 0;
    virtual void rebuildCameraMenu(Ctank*) = 0;
    // Breaks the tank's relationships and clears its things before its holder is deleted.
    virtual void prepareTankForDelete(Ctank*) = 0;
    virtual void clearTank(Ctank*) = 0;
    // Resets the food shaker's counters and moves it into the tank (no shaker: nothing).
    virtual void foodShakerToTank(CshopKeeper&, Ctank*, bool) = 0;
    // The on-screen food pointer goes off.
    virtual void fakeMousePointerOff(CshopKeeper&) = 0;

    // ---- input and the web
    // Whether the tank's view may be dragged and pinched now.
    virtual bool tankAllowsTouch(Ctank*) = 0;
    // Pinches the tank's view with two pointers.
    virtual void pinchTank(Ctank*, CtouchPointer&, CtouchPointer&) = 0;
    // The tank is no longer being dragged or pinched.
    virtual void endTankPinch(Ctank*) = 0;
    // Non-zero when a web request has just finished.
    virtual int checkInOnAnyInternetRequest() = 0;
};

// The services that show tanks: displays and sequences are the shop keeper's own (see
// shopKeeper.h), and the display table owns and deletes the devices registered with it.
// The tank operations are filled by CtankShopServices (tankShopServices.h).
class CshopDisplayServices : public CshopServices {
  public:
    void displaySequence(CshopKeeper& shop, int n) override;
    void fillSequenceHolder(CshopKeeper& shop, int n) override;
    void nextSequence(CshopKeeper& shop, int n, bool relative, float seconds, float slide) override;
    void transitionHandler(CshopKeeper& shop) override;
    void setGUItoAPI(CshopKeeper& shop, CgraphicsAPI* device) override;
    void setDeviceTank(CshopKeeper& shop, CgraphicsAPI* device, Ctank* tank) override;
    void windowSizeChanged(CshopKeeper& shop, CgraphicsAPI* device) override;
    void set3Dmode(CshopKeeper& shop, short mode) override;
    void removeDisplay(CshopKeeper& shop, CgraphicsAPI* device) override;
};
