// Widgets: the elements of the in-scene interface.
//
// A widget is a variable of the tree with a rectangle relative to its parent widget,
// colours, a visibility flag and child scripts that run when the pointer acts on it
// ("buttonDown", "click", "release", "drag", "singleClick", "doubleClick"). Groups make
// widgets with their script commands (groupWidget.h); ":set" configures them through their
// registered variables. Messages trickle through the widget tree (the codes below); a
// deleted widget goes into the panel's trash and lives until the panel's next update.
//
// The files: widget.cpp (rectangles, messages, the mouse protocol, commands), imageWidget.cpp
// (textured widgets), groupWidget.cpp and groupLayout.cpp (groups and lists), sliders.cpp,
// textWidget.cpp, and the panel that owns them all, controlPanel.h.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "support/rect.h"
#include "variables/variable.h"

class CimageBoxVar;
class CgroupWidgetVar;

// Codes of the messages trickled through the widget tree.
enum : int {
    WIDGET_CLEAR = 0,      // after the children: clear
    WIDGET_MARK = 1,       // after the children: update at the next widget frame
    WIDGET_UPDATE = 2,     // after the children: update when marked for this frame
    WIDGET_HIT_TEST = 3,   // before the children: the last hit in tree order wins
    WIDGET_HIT_RIGHT = 4,  // after the children: the hit rectangle's right edge
    WIDGET_TIME_CHECKS = 5 // after the children: time-dependent checks (idle time-out)
};

// Codes of the mouse messages and the child scripts they run.
enum : int {
    MOUSE_BUTTON_DOWN = 0,
    MOUSE_CLICK = 1,
    MOUSE_DRAG = 2,
    MOUSE_WHEEL = 3,
    MOUSE_SINGLE_CLICK = 4,
    MOUSE_DOUBLE_CLICK = 5
};

// Variable flag of a displayed widget.
constexpr unsigned WIDGET_DISPLAYED = 0x80000000u;

// What the hit test carries through the tree.
struct CwidgetHitTest {
    float x = 0, y = 0;
    class CwidgetVar* candidate = nullptr;
};

// The widget frame: counted up once per panel update, 0 when a panel is made.
extern int widgetUpdateFrame;

// Element i of a variable that a widget shows or sets: an array's elements are its
// children; a variable of several elements (a registered vector) holds them itself; any
// other variable is its one value.
Cstring variableElementText(Cvariable* var, int element);
double variableElementFloat(Cvariable* var, int element);
void setVariableElementFloat(Cvariable* var, int element, double value);

class CwidgetVar : public CvarTrashDestined {
  public:
    // Registers the widget's variables and takes the panel's trash as its own.
    CwidgetVar();
    // Undisplays the widget and drops what it holds.
    ~CwidgetVar() override;
    int getType() override { return TYPE_WIDGET; }
    char const* getClassName() override { return "WIDGET"; }
    // "animate", "spin", "update", "showMat", "update!", "rotate_menu"; others go up.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // Plain widgets pass messages to no children (their children are variables and scripts).
    Cvariable* getFirstTrickleDownChild() override { return nullptr; }
    void trickleDownPreChildProcessingMessage(int message, void* data) override;
    void trickleDownPostChildProcessingMessage(int message, void* data) override;
    // ":widget <name>".
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    // Brings the rectangle up to date; 0.
    int update() override;

    // ---- the widget's own operations, in slot order ----
    virtual void updateContents(int) {}
    // Displayed flag and showIt set; marked for update.
    virtual void display();
    // Displayed flag and showIt cleared; the panel forgets it as focus or pressed widget.
    virtual void undisplay();
    // The mouse protocol: runs the child script of the message; see the codes above.
    virtual int mouseMessage(int code, float x, float y);
    virtual void freeContents() {}
    // freeContents, undisplay, and the image box freed.
    virtual void clear();
    virtual void setFocus() {}
    virtual void loseFocus() {}
    virtual void checkTimeDependentStuff() {}
    // out[0..3] the top colour blended to the highlight by t (alpha unblended), out[4..6]
    // the bottom colour likewise, or the top's when the bottom's red is -1.
    virtual void fillTopBottomColors(float* out, float t);

    // Computes the rectangle from the parent's (nothing while it is valid).
    void updateRect();
    // Trickles the mark message through the widget.
    void needsUpdating();
    // Update at the next widget frame, with a new rectangle.
    void markForUpdate();
    // (x, y) into 0..1 of the widget's rectangle.
    void convertPanelCoordsToImageWidgetRelative(float& x, float& y);
    bool isDisplayed() const { return hasFlag(WIDGET_DISPLAYED); }
    // The topmost widget above this one (this one when it has no parent widget).
    CwidgetVar* topmostWidget();
    // Runs the child script of that name on the widget; whether it existed.
    bool runChildScript(char const* scriptName);

    Crect rect, hitRect;
    float hitRight = -999.0f;
    float aspect = 1.0f;
    float pos[2] = {0.5f, 0.5f};
    float size[2] = {1.0f, 1.0f};
    short justify = 0;  // 0 centre, 1 min x at pos, 2 max x at pos
    short vjustify = 0; // 0 centre, 1 min y at pos, 2 max y at pos
    // Top colour RGBA then bottom colour RGBA (bottom red -1: as the top).
    float colors[8] = {1, 1, 1, 1, -1, -1, -1, 1};
    float* color = colors;
    float* colorBottom = colors + 4;
    float highlight[4] = {1, 1, 1, 1};
    short showIt = 1;
    short acceptsFocus = 1; // bit 1: hit-testable; 2 while a sub-menu suspends it
    uint8_t rectValid = 0;
    uint8_t keepParentAspect = 0;
    uint8_t animationMode = 0; // 0 none, 1 "animate", 2 "spin"
    int updateFrame = 0;
    CimageBoxVar* imageBox = nullptr;
    CgroupWidgetVar* parentWidget = nullptr;
};
