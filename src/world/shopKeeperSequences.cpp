// Sequences: which tank each display shows. The stored sequences live under "sequences"
// (special ones, by negative number, directly under the shop keeper); the holder is the
// working copy of the displayed one, one entry per display.
#include <algorithm>
#include <cstring>

#include "graphics/graphicsMaster.h"
#include "script/scriptLine.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "variables/variableConvert.h"
#include "world/shopKeeper.h"

void CshopDisplayServices::displaySequence(CshopKeeper& shop, int n) {
    shop.displaySequence(n);
}
void CshopDisplayServices::fillSequenceHolder(CshopKeeper& shop, int n) {
    shop.fillSequenceHolder(n);
}

namespace {

// Rotation periods in seconds by "seqRotType"; the first two mean never.
constexpr int sequenceRotateSecondsList[] = {2000000000, 2000000000, 60, 120, 300, 600, 1800};

struct SpecialSequence {
    int number;
    char const* directory;
    char const* script; // run when the directory is missing; null: made empty
};
constexpr SpecialSequence specialSequences[] = {{-2, "stallSeq", "/std_scripts/stall"},
                                                {-3, "hallSeq", "/std_scripts/store_hall"},
                                                {-4, "storeTankSeq", nullptr},
                                                {-5, "holdingTankSeq", "/std_scripts/holding_tank"},
                                                {-6, "previewTankSeq", nullptr}};

char const* const clickFishScript = ":pane bar off :pane bar /std_scripts/highlightFishPage main.gui";
char const* const clickBackgroundScript = ":toggle_pane bar /std_scripts/main_functions main.gui";

} // namespace

// The directory of sequence n as it stands, made nowhere; null when missing.
static Cvariable* existingSequenceDirectory(CshopKeeper& shop, int n) {
    if (n >= 0)
        return shop.sequences && n < shop.sequences->countChildren() ? shop.sequences->getChild(n) : nullptr;
    for (SpecialSequence const& special : specialSequences)
        if (special.number == n) return shop.getChild(special.directory);
    return nullptr;
}

Cvariable* CshopKeeper::sequenceDirectory(int n) {
    if (n >= 0) {
        if (sequences == nullptr) return nullptr;
        for (int count = sequences->countChildren(); count <= n; count++)
            sequences->addDirectory("seq", 1);
        return sequences->getChild(n);
    }
    for (SpecialSequence const& special : specialSequences) {
        if (special.number != n) continue;
        Cvariable* dir = getChild(special.directory);
        if (dir == nullptr) {
            bool found = false;
            if (special.script) runScript(this, special.script, &found);
            dir = getChild(special.directory);
            // A script that made nothing leaves an empty sequence: every entry takes the default.
            if (dir == nullptr) dir = addDirectory(special.directory);
            if (n == -2) allowSeqChng = 1;
            if (n == -3) allowSeqChng = 0;
        }
        if (n == -4) allowSeqChng = 0;
        return dir;
    }
    return nullptr;
}

void CshopKeeper::fillSequenceHolder(int n) {
    VTRACE(4, "_sequenceNum " << n);
    Cvariable* found = sequenceDirectory(n);
    if (sequences) numSequences = static_cast<short>(sequences->countChildren());
    CdirectoryVar* dir = dynamic_cast<CdirectoryVar*>(found);
    currentSequenceDir = dir;
    if (dir == nullptr) return;
    // One entry per display, whoever registered them.
    sequenceHolder.resize(static_cast<size_t>(std::max<int>(numDisplays, 0)));
    float defaultID = n == -5 ? -5.0f : -1.0f;
    for (size_t i = 0; i < sequenceHolder.size(); i++) {
        int index = static_cast<int>(i);
        Cvariable* id = dir->getArrayVarElementOrMake("tankID", index, CLASS_INT, defaultID);
        Cvariable* xt = dir->getArrayVarElementOrMake("xt", index, CLASS_INT, 0.0f);
        Cvariable* wf = dir->getArrayVarElementOrMake("wf", index, CLASS_INT, 0.0f);
        CsequenceSingleViewHolder& entry = sequenceHolder[i];
        entry.tankID = static_cast<int16_t>(id ? id->getInt() : -1);
        entry.xt = static_cast<int16_t>(xt ? xt->getInt() : 0);
        entry.wf = static_cast<int16_t>(wf ? wf->getInt() : 0);
        VTRACE(2, "dev=" << index << " tank id:" << entry.tankID);
    }
}

void CshopKeeper::storeSequenceHolder() {
    if (loadedHolderSequence == -1 || currentSequenceDir == nullptr) return;
    // A script may have deleted or moved the loaded sequence meanwhile: then nothing is kept.
    Cvariable* found = existingSequenceDirectory(*this, loadedHolderSequence);
    if (found != currentSequenceDir) {
        currentSequenceDir = nullptr;
        return;
    }
    CdirectoryVar* dir = dynamic_cast<CdirectoryVar*>(found);
    if (dir == nullptr) return;
    VTRACE(2, "storeSequenceHolder");
    for (size_t i = 0; i < sequenceHolder.size(); i++) {
        int index = static_cast<int>(i);
        CsequenceSingleViewHolder const& entry = sequenceHolder[i];
        if (Cvariable* v = dir->getArrayVarElementOrMake("tankID", index, CLASS_INT, -1.0f))
            v->setInt(entry.tankID);
        if (Cvariable* v = dir->getArrayVarElementOrMake("xt", index, CLASS_INT, 0.0f)) v->setInt(entry.xt);
        if (Cvariable* v = dir->getArrayVarElementOrMake("wf", index, CLASS_INT, 0.0f)) v->setInt(entry.wf);
    }
}

void CshopKeeper::displaySequence(int n) {
    VTRACE(4, "_DISPLAYSEQUENCE A " << n);
    transitionRequested = 0;
    if (controlPanel && controlPanel->isDisplayed() && controlPanel->isPointless()) controlPanel->panelOff();
    bool panelShown = controlPanel && controlPanel->isDisplayed();
    secsSinceSeqRot = 0;
    if (loadedHolderSequence >= 0) storeSequenceHolder();
    displayedSequence = static_cast<short>(n);
    loadedHolderSequence = static_cast<short>(n);
    if (n == -1) {
        currentSequenceDir = nullptr;
    } else {
        int rotation = std::clamp<int>(seqRotType, 0, int(std::size(sequenceRotateSecondsList)) - 1);
        secondsUntilSequenceRotate = sequenceRotateSecondsList[rotation];
        VTRACE(4, "_secondsUntilSequenceRotate " << secondsUntilSequenceRotate);
        fillSequenceHolder(n);
        sendSequenceToDisplays();
        if (!exitSaver) {
            if (guiDisplay == nullptr && numDisplays > 0) guiDisplay = display[0];
            setGUItoAPI(guiDisplay);
            refreshesSinceDisplay = 0;
            if (!energyConserveOn)
                doFullRefreshRate();
            else if (!energySavingBlocked)
                doHalfRefreshRate();
        }
        m_userFlags |= 2;
        whatsNewVersion = kScriptSavedVersion;
        saveShopSettings();
    }
    if (panelShown) controlPanel->setDisplayed(1, 1);
    // A change of tank ends click-feeding: the shaker stays out of the new tank and the
    // pointer is back, so the menu can be reached.
    if (feedMode || fakeMouseIsOn) {
        feedingOff();
        fakeMousePointerOff();
        setRealMouseVisible(1);
    }
}

void CshopKeeper::sendSequenceToDisplays() {
    for (int d = 0; d < numDisplays; d++)
        display[d]->freeAPIgraphicsResources();
    VTRACE(2, "START SETDEVICETANK=0");
    for (int d = 0; d < numDisplays; d++)
        setDeviceTank(display[d], nullptr);
    VTRACE(2, "END SETDEVICETANK=0");
    int h = static_cast<int>(sequenceHolder.size());
    for (int d = 0; d < numDisplays && h > 0; d++) {
        // A run of marks pointing towards one display shows that display's tank.
        int i = std::min(d, h - 1);
        while (i < h - 1 && sequenceHolder[i].xt == -1)
            i++;
        int j = i;
        while (j > 0 && sequenceHolder[j].xt == 1)
            j--;
        VTRACE(2, "newScanDevNum " << j);
        int s = std::clamp(j, 0, std::min<int>(numDisplays, h) - 1);
        VTRACE(2, "clampedScanDevNum " << s);
        int asked = sequenceHolder[s].tankID;
        Ctank* tank = findTankByID(asked);
        VTRACE(2, "retTank=" << tank);
        if (tank) {
            if (displayedSequence >= 0 || displayedSequence == -2)
                services().setClickScripts(tank, clickFishScript, clickBackgroundScript);
            int id = services().tankID(tank);
            if (id != asked) { // a default tank was made: the sequence keeps its id
                sequenceHolder[s].tankID = static_cast<int16_t>(id);
                storeSequenceHolder();
            }
        } else {
            setExitError("Null tank", 1);
        }
        setDeviceTank(display[d], tank);
    }
}

void CshopKeeper::scanAndRemoveExtendedMonitor(int start, int direction) {
    VTRACE(2, "scanAndRemoveExtendedMonitor " << start << " d=" << direction);
    if (direction != 1 && direction != -1) return;
    int end = std::min<int>(numDisplays, static_cast<int>(sequenceHolder.size()));
    for (int i = start; i >= 0 && i < end; i += direction) {
        if (sequenceHolder[i].xt != direction) {
            VTRACE(2, "break");
            break;
        }
        sequenceHolder[i].xt = 0;
    }
}

int CshopKeeper::monitorSpanCommand(char const* which) {
    int d = guiDisplay ? guiDisplay->displayIndex : -1;
    int size = std::min<int>(numDisplays, static_cast<int>(sequenceHolder.size()));
    bool left = std::strcmp(which, "xl") == 0, right = std::strcmp(which, "xr") == 0;
    // Without a GUI display, or with no neighbour on that side, there is nothing to tie.
    if (d < 0 || d >= size || (left && d == 0) || (right && d + 1 >= size)) return 1;
    if (controlPanel) controlPanel->setDisplayed(0, 0);
    if (left) {
        sequenceHolder[d - 1].xt = -1;
    } else if (right) {
        sequenceHolder[d + 1].xt = 1;
    } else if (std::strcmp(which, "msoff") == 0) {
        int x = sequenceHolder[d].xt;
        VTRACE(2, "xmode=" << x);
        if (x == 0 || x == 1) scanAndRemoveExtendedMonitor(d + 1 - x, 1);
        if (x == 0 || x == -1) scanAndRemoveExtendedMonitor(d - 1 - x, -1);
    }
    displaySequence(loadedHolderSequence);
    if (controlPanel) controlPanel->setDisplayed(1, 0);
    return 0;
}

void CshopKeeper::displayCurrentTanks(int shown) {
    for (int d = 0; d < numDisplays; d++)
        if (display[d]->tank) services().setTankDisplayed(display[d]->tank, shown != 0);
}

unsigned CshopKeeper::sequenceCommand(CscriptLine& line) {
    Cstring what = line.getString(0, true);
    if (what == "move" || what == "set") {
        // The number is kept in 16 bits, as the sequences are numbered.
        auto n = static_cast<int16_t>(varconv::truncToInt(line.getFloat(1)));
        float fade = line.tokenCount() >= 3 ? static_cast<float>(line.getFloat(2)) : 0.0f;
        float slide = line.tokenCount() >= 4 ? static_cast<float>(line.getFloat(3)) : 0.0f;
        services().nextSequence(*this, n, what == "move", fade, slide);
    } else if (what == "delete") {
        deleteSequence(varconv::truncToInt(line.getFloat(1)));
    }
    return CMD_DONE;
}

void CshopKeeper::deleteSequence(int n) {
    VTRACE(2, "delete seq=" << n);
    if (n >= 0 && numSequences < 2) return;
    Cvariable* target = nullptr;
    if (n == -6)
        target = getChild("previewTankSeq");
    else if (n >= 0 && sequences)
        target = sequences->getChildNoErr(n);
    // A number that names no sequence leaves what is shown alone.
    if (target == nullptr) return;
    int old = loadedHolderSequence;
    // Nothing is loaded while the list changes: the holder is never written into the
    // wrong sequence.
    displaySequence(-1);
    target->unhook();
    if (n >= 0) {
        numSequences = static_cast<short>(sequences->countChildren());
        displaySequence(numSequences > old ? old : old - 1);
    } else {
        // The sequence shown before, or, when the preview itself was shown, the one it was
        // opened from: the displays never stay without a sequence.
        bool returnValid = returnToSeq >= 0 && returnToSeq < numSequences;
        displaySequence(old != n ? old : (returnValid ? returnToSeq : 0));
    }
    if (Cvariable* ids = target->getChild("tankID")) {
        for (Cvariable* id = ids->firstChild; id; id = id->nextSibling) {
            VTRACE(2, "_____delete tank id " << id->getInt());
            deleteTankByID(id->getInt());
        }
    }
    deleteVariable(target);
}
