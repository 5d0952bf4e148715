// Keys: the few that act directly, the key bindings scripts make and run, and the shop
// commands of keys, the pointer and the file chooser.
#include <cstdint>

#include "data/imageIO.h"
#include "host/hostServices.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "variables/configDialogVars.h"
#include "world/keyMap.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

// The binding of exactly that name (a name ending in "*" is no pattern here), newest first.
Cvariable* findBinding(Cvariable* keymaps, Cstring const& name) {
    for (Cvariable* c = keymaps ? keymaps->firstChild : nullptr; c; c = c->nextSibling)
        if (c->name == name) return c;
    return nullptr;
}

// Moves a binding into the trash: a binding may be running while it is taken away.
void discardBinding(Cvariable* binding) {
    binding->setFlag(VAR_DEFER_DELETE, true);
    deleteVariable(binding);
}

// The path of v below top ("a/b"), or empty when v is not below top.
Cstring pathBelow(Cvariable* v, Cvariable* top) {
    Cstring path;
    for (; v && v != top; v = v->parent)
        path = path.empty() ? v->name : v->name + "/" + path;
    return v == top ? path : Cstring();
}

// Numbers the file requests of the whole run, so that an answer meant for a shop keeper
// that is gone finds no match.
int lastFileRequestNumber = 0;

void fileRequestDone(void* context, char const* path) {
    int number = static_cast<int>(reinterpret_cast<intptr_t>(context));
    if (shopKeeper == nullptr || number == 0 || shopKeeper->fileRequestNumber != number) return;
    shopKeeper->fileRequestNumber = 0;
    if (path == nullptr) {
        VTRACE(1, "file request cancelled");
        return;
    }
    shopKeeper->setFocusTankBackgroundImage(path);
}

} // namespace

void CshopKeeper::initInputProcessing() {
    keymaps = addDirectory("keymaps");
}

int CshopKeeper::keyPressed(int code) {
    if (startRunOrQuit != 1) return 1;
    lastActivityTime = static_cast<float>(globalTime);
    giveGraceSecondsUntilSequenceRotate();
    switch (code) {
    case KEY_TAB:
        // Held down, the key repeats: only the first press runs its binding.
        if (tabIsDown) return 1;
        tabIsDown = 1;
        executeKeyScript(code);
        return 1;
    case KEY_TAB_UP:
        if (tabIsDown && pickerOn && controlPanel) controlPanel->panelOff();
        tabIsDown = 0;
        return 1;
    case KEY_SHIFT_DOWN:
        shiftIsDown = 1;
        return 1;
    case KEY_SHIFT_UP:
        shiftIsDown = 0;
        return 1;
    case KEY_STEREO:
        set3Dmode(threeDMode ? 0 : 1);
        return 1;
    case 'P':
        enableAnim = 2;
        return 1; // one step, then paused
    case 'p':
        enableAnim = enableAnim == 0 ? 1 : 0;
        return 1;
    default:
        break;
    }
    if (specialMode) {
        switch (code) {
        case 'G':
            guideGeoShown = guideGeoShown ? 0 : 1;
            return 1;
        case 'g':
            enableGuideGeo = enableGuideGeo ? 0 : 1;
            return 1;
        case 'h':
            doHalfRefreshRate();
            return 1;
        case 'i':
            invalidateAllDisplays();
            return 1;
        case 'm':
            return 1;
        case 'x':
            // The developer's quit key stops in order, so that nothing is lost.
            if (masterOut.is_open()) masterOut << "xkey" << std::endl;
            setExit("xkey");
            return 1;
        default:
            break;
        }
    }
    executeKeyScript(code);
    return 1;
}

int CshopKeeper::executeKeyScript(int code) {
    Cstring name = convertKey(code);
    // A key before the shop is open has no bindings to run.
    if (!shopIsOpen || keymaps == nullptr) {
        VTRACE(1, "keybad: key " << name << " before the shop opened");
        return 0;
    }
    Cvariable* tank = focusTankObject ? services().tankNode(focusTankObject) : nullptr;
    if (Cvariable* binding = findBinding(keymaps, name)) {
        // The widgets reach the panel's, the tank's and the shop's commands alike.
        Cvariable* target =
            tank ? (controlPanel && controlPanel->widgetsRoot() ? controlPanel->widgetsRoot() : tank)
                 : static_cast<Cvariable*>(this);
        VTRACE(2, "key " << name);
        if (binding->firstChild && scriptFailed(runScriptLines(target, binding->firstChild))) {
            setExitError("faccfail", 1);
            return 1;
        }
        return 0;
    }
    Cvariable* any = findBinding(keymaps, Cstring("ANY"));
    if (any == nullptr || any->firstChild == nullptr) return 0;
    return scriptFailed(runScriptLines(tank ? tank : this, any->firstChild)) ? 1 : 0;
}

void CshopKeeper::addKeyFunction(CscriptLine& line, bool panelKey) {
    if (keymaps == nullptr) return;
    auto* binding = new CkeyMapVar;
    binding->setName(line.getString(0, true));
    if (panelKey) binding->setFlag(VAR_PANEL_KEY, true);
    keymaps->addVariable(binding, 0); // in front: the newest binding of a name is found
    binding->copyScriptChildren(&line);
}

void CshopKeeper::removePanelKeys() {
    Cvariable* c = keymaps ? keymaps->firstChild : nullptr;
    while (c) {
        Cvariable* next = c->nextSibling;
        if (c->hasFlag(VAR_PANEL_KEY)) discardBinding(c);
        c = next;
    }
}

void CshopKeeper::clearKeys() {
    while (keymaps && keymaps->firstChild)
        discardBinding(keymaps->firstChild);
}

unsigned CshopKeeper::mouseCommand(CscriptLine& line) {
    Cstring word = line.getString(0, false);
    if (word == "on" || word == "off") fakeMousePointerOff();
    if (word == "on") setRealMouseVisible(1);
    if (word == "off") {
        setRealMouseVisible(0);
        feedMode = 0;
    }
    return CMD_DONE;
}

unsigned CshopKeeper::fileRequestCommand(CscriptLine& line) {
    Cstring path = line.getString(0, true);
    Cvariable* target = path.empty() ? nullptr : findVariable(path.c_str());
    if (target == nullptr) {
        setExit((Cstring("filerequest ") + path + " not found").c_str());
        return CMD_NOT_HANDLED;
    }
    ignoreActivationThisFrame = 1; // the chooser taking the focus does not end the saver
    VTRACE(1, "path before=" << target->getString());
    fileRequest(Cstring(target->getString()), target);
    VTRACE(1, "done filerequest");
    return CMD_DONE;
}

int CshopKeeper::fileRequest(Cstring folder, Cvariable* target) {
    VTRACE(1, "file request " << folder);
    int number = ++lastFileRequestNumber;
    if (number <= 0) number = lastFileRequestNumber = 1;
    void* context = reinterpret_cast<void*>(static_cast<intptr_t>(number));
    if (!hostServices().beginFileRequest(folder.c_str(), fileRequestDone, context)) {
        VTRACE(1, "a file chooser is already open");
        return 0;
    }
    fileRequestNumber = number;
    // Kept as a path: the variable may be gone by the time the chooser answers.
    fileRequestTarget = pathBelow(target, this);
    return 0;
}

void CshopKeeper::setFocusTankBackgroundImage(char const* path) {
    // A file that is no picture the decoders read (or a damaged one) changes nothing: the
    // viewer is told which file it was, on the panel's message page.
    imageFile probe;
    if (!path || !probe.loadImage(path, true)) {
        Cstring name(path ? path : "");
        noPath(name);
        if (masterOut.is_open())
            masterOut << "background picture refused: " << (path ? path : "") << std::endl;
        ShowMessage((Cstring("The picture \"") + name +
                     "\" cannot be read: it is no JPEG or PNG picture, or it is damaged.")
                        .c_str(),
                    "", 1);
        return;
    }
    probe.freeImage();
    Cvariable* target = fileRequestTarget.empty() ? nullptr : findVariable(fileRequestTarget.c_str());
    if (target) target->setString(path);
    bool found = false;
    int result = runScript(this, "/std_scripts/set_new_bg_image", &found);
    if (masterOut.is_open()) masterOut << "setFocusTankBackgroundImage retval=" << result << std::endl;
}
