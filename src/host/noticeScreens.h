// What a view draws besides the engine's frame: the GL start state, the notice screens
// that replace the tank, and the state reset after the engine's step.
#pragma once

// Depth testing, polygon offset 1 and 1, clear colour (0, 0, 0.2, 0).
void initRenderer();

// Pushes both matrices, leaves the model-view current with a w x h orthographic space
// (y upward) and disables 2-D texturing, depth testing and lighting; popHUD undoes it.
void prepHUD(double w, double h);
void popHUD();

// The red error screen's text layout for a view width: characters per line (at least 1)
// and the last line index (lines 0 to lastLine are drawn).
struct CerrorTextLayout {
    int charsPerLine;
    int lastLine;
};
CerrorTextLayout errorTextLayout(double width, int messageLength);

// Draws notice screen `which` over a w x h view: 2 asks to close and re-open the
// settings, 1 is the red error screen with message, anything else the blue screen shown
// while an alert is up (with "Velmora exit: " and the message when there is one).
void drawNoticeScreen(int which, double w, double h, char const* message);

// Clears colour and depth.
void clearFrame();
// The state the engine may leave: client arrays off, viewport to the whole view, 2-D
// texturing on.
void resetStateAfterFrame(double w, double h);
