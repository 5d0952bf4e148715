// One view per display: it owns the GL context the display draws into, makes the shop
// keeper when it is the first to start, registers its display, runs the frame step, shows
// the notice screens, hands the pointer to the engine and draws the cursor. The view that
// stops last (or after the engine asked to exit) shuts the engine down.
#pragma once

#include <cstdint>
#include <memory>

#include "support/mystring.h"

class CgraphicsAPI;
class CglContext;
class CopenGL;
class CpseudoCursor;
class CsheetActions;
class CsheetWindow;
class CvelmoraView;
class options_sheet_settings;

// A view's place among the screens: origin, width and height in pixels, y growing upward.
struct CviewRect {
    double x = 0, y = 0, width = 0, height = 0;
};

// ---- host state shared by all views
constexpr int kMaxViews = 8;
extern CvelmoraView* allWindows[kMaxViews];
extern int doingOpenFile;                   // 1 while a file panel is up
extern int showInPreview;                   // 0 the tank, 1 the red error screen, 2 close-and-re-open
extern uint8_t pleaseQuitSystemPreferences; // a notice screen replaces the tank
extern CvelmoraView* lastFocusView;         // the view that last had the pointer
extern double lastMouseX, lastMouseY;       // the pointer position last handed to the engine
extern Cstring sendExtraHttpString;         // diagnostics gathered at start
// The host's reaction to the engine asking to stop without an error: it ends its loop.
extern void (*viewStopRequested)();

// Fills the view's slots of engineHooks (an installed update asks for a restart).
void installViewHooks();
// Fills the options sheet's slots of engineHooks: its message line, its end.
void installSheetHooks();

// Puts the view in the first slot that is empty or already holds it; nothing when all
// slots hold other views.
void addWindow(CvelmoraView* view);

// Asks for the engine to be stopped and started again in every view (the tanks load anew
// with the options as they are then); save: whether the stop saves the settings (a stop
// that does not save wins over one that does).
void requestEngineRestart(bool save);
// Carries out a restart asked for; true when one ran. The frame loop calls it after the
// host's events.
bool performEngineRestart();
// A start that failed on a file of the resource copy (before the engine's first whole frame,
// in any way: a material that cannot become shaders, a picture that cannot be used) begins
// again, once the files of the copy it read that differ from the installed ones are copied
// again; true when it did. Called between frames.
bool retryStartOnRenewedCopy();
// A new run begins with no such tries made.
void forgetStartRetries();

// The run must end at once (its X display is gone): what a stop saves is saved (the
// settings, the tanks, the registry, the sheet's options waiting to be kept), and what an
// open sheet's close keeps; nothing is taken down, and the marker goes as after a stop.
void saveAtSuddenEnd();

// Hands one key in the engine's codes to the shop keeper; true while the saver goes on
// (nothing is sent without a shop keeper).
bool doKey(int code);

class CvelmoraView {
  public:
    // frame: the view's place; context: the GL context it draws into (owned, may be null).
    CvelmoraView(CviewRect frame, CglContext* context, bool isPreview);
    ~CvelmoraView();
    // False when construction failed (no context).
    bool valid() const { return glContext != nullptr; }

    void startAnimation();
    void stopAnimation();
    void animateOneFrame();
    // The registered display this view made; null when none.
    CgraphicsAPI* findThisAPI();

    // Reads the pointer from the context's window into mouseX/mouseY (y upward).
    void getMousePos();
    int mouseIsInWindow() const;
    // Draws the cursor with its hot spot on (x, y) of the view (y upward).
    void drawCursor(double x, double y);
    // A new size of the view (its window followed its parent).
    void setFrameSize(double width, double height);

    // ---- the configure sheet (viewConfigureSheet.cpp)
    bool hasConfigureSheet() const { return true; }
    // Shows the sheet with the options as they are now; null when no sheet can be shown.
    CsheetWindow* configureSheet();
    void adjust_configureSheet();
    // The sheet's close: saver defaults, registry, alerts off again; a new fish size makes
    // the engine start again so the tanks load at that size.
    void closeSheet();
    // The "Use All Screens" check box reported value.
    void control_changed(int value);
    // Writes the saver defaults: "Use All Screens" and "Heads Up Display" (always off).
    void update_defaults();
    // Writes what the sheet keeps: the saver defaults and the registry, together.
    void keepSheetOptions();
    // The sheet is shown (opened and neither closed nor ended).
    bool sheetIsOpen() const;
    // The sheet closed while another run kept the data folder: its options are kept once
    // this run takes the folder, or with the registry's changes this run leaves at its end.
    bool sheetOptionsWaiting = false;
    // At the run's end (a stop or a lost display): what the sheet's close would keep, an open
    // sheet's options included, is kept, or waits with the registry's changes.
    void keepSheetAtTheEnd();
    options_sheet_settings* sheetSettings() { return optionsSheet.get(); }
    CsheetWindow* sheetWindow() { return sheet.get(); }

    // Input, at (x, y) of the view (y upward); keys in the engine's codes. Nothing reaches
    // the engine without a shop keeper or while a file panel is up; keys and presses are
    // dropped until a tank is in focus.
    void keyDown(int code);
    // A release: only the codes of released keys the engine knows (Tab, shift) are sent.
    void keyUp(int code);
    void mouseDown(double x, double y);
    void mouseUp(double x, double y);
    // The wheel's turn in notches, truncated toward zero.
    void scrollWheel(double deltaY);
    // The pointer is at (x, y) of the view: an event told where, ahead of the frame.
    void pointerMoved(double x, double y);

    CglContext* glView() { return glContext.get(); }
    bool preview;
    CviewRect myFrame;
    double mouseX = 0, mouseY = 0;
    bool pointerKnown = false;
    // Whether the last frame drew the program's own pointer.
    bool pointerDrawn = false;
    bool animating = false;
    // False for a screen saver's window: its input belongs to the screen saver.
    bool readsInput = true;

  private:
    friend bool performEngineRestart();
    friend bool retryStartOnRenewedCopy();
    void registerDisplay();
    // The sheet goes with the view: nothing is written, its status line is forgotten.
    void dropSheet();

    // Hands the pointer at (mouseX, mouseY) to the engine when it moved since the last.
    void pointerToEngine(CgraphicsAPI* mine);

    std::unique_ptr<CglContext> glContext;
    std::unique_ptr<CpseudoCursor> cursor;
    CopenGL* device = nullptr; // once registered, owned by the display table
    // The sheet, made when first shown (its window by the host services).
    std::unique_ptr<options_sheet_settings> optionsSheet;
    std::unique_ptr<CsheetActions> sheetActions;
    std::unique_ptr<CsheetWindow> sheet;
};
