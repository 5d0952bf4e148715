// The view's frame: the engine's step, or a notice screen in its place, then the pointer,
// the drawn cursor and presenting the frame.
#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/glContext.h"
#include "host/httpConnection.h"
#include "host/hostServices.h"
#include "host/noticeScreens.h"
#include "host/pseudoCursor.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {
void logLine(char const* a, long b = 0, bool withNumber = false) {
    if (!masterOut.is_open()) return;
    masterOut << a;
    if (withNumber) masterOut << b;
    masterOut << std::endl;
}
} // namespace

void CvelmoraView::animateOneFrame() {
    pointerDrawn = false;
    if (sheetOptionsWaiting && !dataFolderHeldElsewhere) keepSheetOptions();
    if (exitSaver) {
        logLine("exitSaver ", exitSaver, true);
        if (!erroredExit) {
            clearCrashIndicatorFile();
            if (viewStopRequested) viewStopRequested();
        } else {
            makeCrashBackupDir();
            showInPreview = 1;
            pleaseQuitSystemPreferences = 1;
            exitSaver = 0;
        }
    }
    if (doingOpenFile || exitSaver) return;
    // Transfers go on while a notice or the download's progress replaces the tank.
    advanceWebTransfers();
    if (glContext->makeCurrent() != 0) return;
    if (pleaseQuitSystemPreferences || alertIsBeingShown) {
        drawNoticeScreen(showInPreview, myFrame.width, myFrame.height, exitMsg.c_str());
        glContext->swap();
        return;
    }
    if (!exitMsg.empty() && preview) {
        logLine("showing message: ");
        OS::ShowMessage(exitMsg.c_str(), "Velmora Message", 0);
        if (erroredExit) {
            showInPreview = 1;
            erroredExit = 0;
            createDiskFile("[APD]crash/description.txt", exitMsg.c_str(), exitMsg.size());
            exitMsg = "";
            inquireAboutSendingErrorReport();
        } else {
            showInPreview = 0;
            exitMsg = "";
        }
    }
    if (!shopKeeper || showInPreview != 0 || !exitMsg.empty() || startRunOrQuit == 2) {
        glContext->swap();
        return;
    }
    shopKeeper->checkForDisplayChanges();
    CgraphicsAPI* mine = findThisAPI();
    if (shopKeeper && !exitSaver && mine) {
        shopKeeper->timerMoveFrame(mine);
        glContext->makeCurrent(); // the step may have drawn in another display's context
    } else {
        clearFrame();
    }
    resetStateAfterFrame(myFrame.width, myFrame.height);
    if (readsInput) {
        getMousePos();
        if (mouseIsInWindow() && shopKeeper) {
            if (mine) {
                if (shopKeeper->guiDisplay != mine) shopKeeper->setGUItoAPI(mine);
                if (lastFocusView != this) lastFocusView = this;
                pointerToEngine(mine);
            }
            if (shopKeeper->realMouseVisible && cursor) {
                drawCursor(mouseX, mouseY);
                pointerDrawn = true;
            }
        }
    }
    glContext->swap();
}

void CvelmoraView::pointerToEngine(CgraphicsAPI* mine) {
    // A move of a fraction of a pixel still counts; a still pointer hands nothing over.
    if (mouseX == lastMouseX && mouseY == lastMouseY) return;
    shopKeeper->touchPointers[0].mouseMoved(static_cast<int>(mouseX), static_cast<int>(mouseY), mine);
    lastMouseX = mouseX;
    lastMouseY = mouseY;
}

void CvelmoraView::getMousePos() {
    double x = 0, y = 0;
    pointerKnown = glContext->pointerPosition(x, y);
    if (!pointerKnown) return;
    mouseX = x;
    mouseY = myFrame.height - y; // window rows run downward, the view's upward
}

int CvelmoraView::mouseIsInWindow() const {
    return pointerKnown && mouseX >= 0 && mouseX < myFrame.width && mouseY >= 0 && mouseY < myFrame.height
               ? 1
               : 0;
}

void CvelmoraView::drawCursor(double x, double y) {
    if (cursor) ::drawCursor(*cursor, x, y, myFrame.width, myFrame.height);
}

void CvelmoraView::setFrameSize(double width, double height) {
    myFrame.width = width;
    myFrame.height = height;
    if (CgraphicsAPI* mine = findThisAPI())
        mine->setNewWindowMetrics(
            Crect(float(myFrame.x), float(myFrame.x + width), float(myFrame.y), float(myFrame.y + height)));
}
