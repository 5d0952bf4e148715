// Group widgets: panes and every nested arrangement of widgets.
//
// A group holds its widgets in its child directory "widgets" and lays them out freely (each
// at its own pos), as a vertical list, or as a scrolling list with a scroll bar once the
// list is taller than the group. Its script commands are the words that build the
// interface ("imageWidget", "text", "group_list", ...). A group also carries the idle
// time-out that closes its pane after a while without input.
#pragma once

#include "interface/widget.h"

class CscriptLine;

// Layout kinds of a group.
enum : uint8_t { LAYOUT_FREE = 1, LAYOUT_LIST = 2, LAYOUT_SCROLLING = 3 };

class CgroupWidgetVar : public CwidgetVar {
  public:
    // widgetsName names the child directory of the widgets (the root's is "allPanes").
    explicit CgroupWidgetVar(char const* widgetsName = "widgets");
    int getType() override { return TYPE_GROUP_WIDGET; }
    char const* getClassName() override { return "GROUP_WIDGET"; }
    // The widget-making words; others go to the widget's commands.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // The layout (groupLayout.cpp); 0.
    int update() override;
    Cvariable* getFirstTrickleDownChild() override { return widgets ? widgets->firstChild : nullptr; }
    // Free groups display their children; every group then shows itself and updates.
    void display() override;
    void undisplay() override;
    // A group has nothing of its own to clear.
    void clear() override {}
    // The idle time-out: closes the pane (or runs "idleTimeoutScript") after that long
    // without input.
    void checkTimeDependentStuff() override;

    // Adds the widget (at the end), takes it as child; with inheritColours it gets this
    // group's colours; with a line, the line's block runs on it.
    void addWidget(CwidgetVar* widget, CscriptLine* line, bool inheritColours);
    // Adds a scroll bar (with the line's block run on it, when given).
    void createSlider(CscriptLine* line);
    // Sizes the group as the main pane within the display's interface rectangle.
    void panelScale(float sx, float sy);
    // The widgets in order (scroll bar included).
    CdirectoryVar* widgetList() { return widgets; }

    uint8_t layoutKind = LAYOUT_LIST;
    uint8_t clipChildren = 1;
    float spacing = 0.01f;
    float total = 0.0f;
    float scroll = 1.0f;
    float targetScroll = 1.0f;
    float easingRate = 0.0f;
    int idleTimeout = 0; // seconds; 0 none
    // Min x, min y, max x, max y of the items ("menuGroup" only).
    float contentBounds[4] = {10.0f, 10.0f, -10.0f, -10.0f};

  private:
    // Reads the arguments of a widget-making line: a binding or the contents. 0, or
    // CMD_STOP when a bound variable is missing (recorded).
    unsigned readWidgetArguments(CwidgetVar* widget, CscriptLine& line);
    void layOutList();
    CdirectoryVar* widgets = nullptr;
};
