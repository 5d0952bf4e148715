// One view per display: it owns the GL context the display draws into, makes the shop
// keeper when it is the first to start, registers its display, runs the frame step, shows
// the notice screens, hands the pointer to the engine and draws the cursor. The view that
// stops last (or after the engine asked to exit) shuts the engine down.
#pragma once

#include <cstdint>
#include <memory>

#include "support/mystring.h"
#include "world/shopServices.h"
#include "world/tankShopServices.h"

class CgraphicsAPI;
class CglContext;
class CopenGL;
class CpseudoCursor;
class CvelmoraView;

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

// The services the host gives the shop keeper: real tanks, the shop keeper's own displays
// and sequences, the render pass and the control panel.
class CviewServices : public CtankShopServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper& shop) override;
};
CviewServices& viewServices();

// Puts the view in the first slot that is empty or already holds it; nothing when all
// slots hold other views.
void addWindow(CvelmoraView* view);

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

    // Input, at (x, y) of the view (y upward); keys in the engine's codes. Nothing reaches
    // the engine without a shop keeper or while a file panel is up.
    void keyDown(int code);
    // A release: only the codes of released keys the engine knows (Tab, shift) are sent.
    void keyUp(int code);
    void mouseDown(double x, double y);
    void mouseUp(double x, double y);
    // The wheel's turn in notches, truncated toward zero.
    void scrollWheel(double deltaY);

    CglContext* glView() { return glContext.get(); }
    bool preview;
    CviewRect myFrame;
    double mouseX = 0, mouseY = 0;
    bool pointerKnown = false;
    bool animating = false;
    // False for a screen saver's window: its input belongs to the screen saver.
    bool readsInput = true;

  private:
    void registerDisplay();
    // Hands the pointer at (mouseX, mouseY) to the engine when it moved since the last.
    void pointerToEngine(CgraphicsAPI* mine);

    std::unique_ptr<CglContext> glContext;
    std::unique_ptr<CpseudoCursor> cursor;
    CopenGL* device = nullptr; // once registered, owned by the display table
};
