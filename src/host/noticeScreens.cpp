#include "host/noticeScreens.h"

#include <algorithm>
#include <string>

#include "host/glHeaders.h"
#include "host/noticeText.h"
#include "support/cerr.h"

void initRenderer() {
    glEnable(GL_DEPTH_TEST);
    glPolygonOffset(1.0f, 1.0f);
    glClearColor(0.0f, 0.0f, 0.2f, 0.0f);
}

void prepHUD(double w, double h) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, w, 0, h, -1, 1);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

void popHUD() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

CerrorTextLayout errorTextLayout(double width, int messageLength) {
    // Under 7 pixels wide no whole character fits; one per line then.
    int perLine = std::max(1, static_cast<int>(static_cast<float>(width) * 0.15384616f));
    return {perLine, std::max(0, messageLength) / perLine};
}

static void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void drawNoticeScreen(int which, double w, double h, char const* message) {
    std::string text = message ? message : "";
    glViewport(0, 0, static_cast<int>(w), static_cast<int>(h));
    glUseProgram(0);
    if (which == 2) {
        clearTo(0.1f, 0.2f, 0.5f);
        prepHUD(w, h);
        glColor3f(0.9f, 0.9f, 0.7f);
        glRasterPos2i(16, static_cast<int>(h * 0.6));
        ourPrintString(kNoticeHeading, "Please Close & Re-open");
        glRasterPos2i(16, static_cast<int>(h * 0.4));
        ourPrintString(kNoticeHeading, "System Preferences");
        popHUD();
    } else if (which == 1) {
        if (masterOut.is_open()) masterOut << "Preview error" << std::endl;
        clearTo(0.5f, 0.0f, 0.0f);
        prepHUD(w, h);
        CerrorTextLayout layout = errorTextLayout(w, static_cast<int>(text.size()));
        glColor3f(0.9f, 0.9f, 0.7f);
        glRasterPos2i(16, static_cast<int>(h * 0.9));
        ourPrintString(kNoticeHeading, "Velmora Error!");
        float fraction = 0.8f;
        for (int line = 0; line <= layout.lastLine; line++) {
            size_t start = static_cast<size_t>(line) * static_cast<size_t>(layout.charsPerLine);
            std::string piece = start < text.size() ? text.substr(start, size_t(layout.charsPerLine)) : "";
            glColor3f(0.9f, 0.9f, 0.7f);
            glRasterPos2i(8, static_cast<int>(h * fraction));
            ourPrintString(kNoticeBody, piece.c_str());
            fraction -= static_cast<float>(14.0 / h);
        }
        popHUD();
    } else {
        if (masterOut.is_open()) masterOut << "screen color ELSE " << which << std::endl;
        clearTo(0.0f, 0.0f, 0.6f);
        glColor3f(0.9f, 0.9f, 0.9f);
        if (!text.empty()) {
            prepHUD(w, h);
            glRasterPos2i(50, 50);
            ourPrintString(kNoticeHeading, ("Velmora exit: " + text).c_str());
            popHUD();
        }
    }
}

void clearFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void resetStateAfterFrame(double w, double h) {
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glViewport(0, 0, static_cast<int>(w), static_cast<int>(h));
    glEnable(GL_TEXTURE_2D);
}
