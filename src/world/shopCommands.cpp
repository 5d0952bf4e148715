// The shop keeper's script commands, its script constants and the small services they
// share: the broadcast of thing messages to every tank and the pool of queued moves.
//
// The commands are tested in the order of one table; the larger ones live with the parts
// they drive (tanks, sequences, feeding, the panel, the sound, keys and the pointer).
#include <vector>

#include "host/internetRequest.h"
#include "script/adsrPool.h"
#include "script/scriptLine.h"
#include "script/scriptOrigin.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/languageCodes.h"
#include "variables/configDialogVars.h"
#include "variables/variableConvert.h"
#include "world/shopKeeper.h"
#include "world/tank.h"

namespace {

using ShopCommandRun = unsigned (*)(CshopKeeper&, CscriptLine&);
struct CshopCommand {
    char const* name;
    ShopCommandRun run;
};

unsigned langNum2Code(CshopKeeper&, CscriptLine&) {
    languageCode = languageNumToLanguageCode(languageNum);
    return CMD_DONE;
}

unsigned verbose(CshopKeeper&, CscriptLine& line) {
    setVerbose(varconv::truncToInt(line.getFloat(0)), "vrb");
    return CMD_DONE;
}

// A greeting with the files that could not be written, on the flex page.
unsigned special(CshopKeeper& shop, CscriptLine&) {
    shop.flexText = Cstring("hello") + failedWrite;
    runStringScript(&shop, ":page /std_scripts/flexMessage ");
    return CMD_DONE;
}

unsigned cancelRequest(CshopKeeper&, CscriptLine&) {
    cancelInternetRequest();
    return CMD_DONE;
}

unsigned monitorSpan(CshopKeeper& shop, CscriptLine& line) {
    // An edge display has no neighbour to tie on that side: then nothing changes.
    shop.monitorSpanCommand(line.getString(0, true).c_str());
    return CMD_DONE;
}

// The developer's check ends the process at once; text from the web never may.
unsigned doCheck(CshopKeeper&, CscriptLine&) {
    if (char const* refused = processEndRefusal()) {
        refuseProcessEnd("doCheck", refused);
        return CMD_STOP;
    }
    exit0("doChk");
}

unsigned broadcast(CshopKeeper& shop, CscriptLine& line) {
    Cstring a = line.getString(0, true);
    Cstring b = line.getString(1, true);
    float f = line.tokenCount() > 2 ? static_cast<float>(line.getFloat(2)) : -1.0f;
    shop.messageAllThingsAllTanks(a.c_str(), b.c_str(), f);
    return CMD_DONE;
}

unsigned threeDMode(CshopKeeper& shop, CscriptLine& line) {
    shop.set3Dmode(static_cast<short>(varconv::truncToInt(line.getFloat(0))));
    return CMD_DONE;
}

unsigned changed(CshopKeeper&, CscriptLine&) {
    wasChanged = 1;
    return CMD_DONE;
}

// In the order they are tested: the first name that matches runs.
constexpr CshopCommand shopCommands[] = {
    {"addTank", [](CshopKeeper& s, CscriptLine& l) { return s.addTankCommand(l); }},
    {"fileRequest", [](CshopKeeper& s, CscriptLine& l) { return s.fileRequestCommand(l); }},
    {"addKey",
     [](CshopKeeper& s, CscriptLine& l) {
         s.addKeyFunction(l, false);
         return unsigned(CMD_DONE);
     }},
    {"langNum2Code", langNum2Code},
    {"verb", verbose},
    {"clearKeys",
     [](CshopKeeper& s, CscriptLine&) {
         s.clearKeys();
         return unsigned(CMD_DONE);
     }},
    {"special", special},
    {"icancel", cancelRequest},
    {"moncmd", monitorSpan},
    {"seq", [](CshopKeeper& s, CscriptLine& l) { return s.sequenceCommand(l); }},
    {"doCheck", doCheck},
    {"mouse", [](CshopKeeper& s, CscriptLine& l) { return s.mouseCommand(l); }},
    {"feed", [](CshopKeeper& s, CscriptLine& l) { return s.feedCommand(l); }},
    {"clearHist",
     [](CshopKeeper& s, CscriptLine&) {
         if (s.controlPanel) s.controlPanel->clearHistory();
         return unsigned(CMD_DONE);
     }},
    {"panel", [](CshopKeeper& s, CscriptLine& l) { return s.panelCommand(l); }},
    {"page", [](CshopKeeper& s, CscriptLine& l) { return s.pageCommand(l); }},
    {"pane", [](CshopKeeper& s, CscriptLine& l) { return s.paneCommand(l, false); }},
    {"toggle_pane", [](CshopKeeper& s, CscriptLine& l) { return s.paneCommand(l, true); }},
    {"delLastHistory",
     [](CshopKeeper& s, CscriptLine&) {
         if (s.controlPanel) s.controlPanel->deleteLastHistory();
         return unsigned(CMD_DONE);
     }},
    {"messageAllThingsAllTanks", broadcast},
    {"3dmode", threeDMode},
    {"back",
     [](CshopKeeper& s, CscriptLine&) {
         s.showPage("*back", "");
         return unsigned(CMD_DONE);
     }},
    {"changeTank",
     [](CshopKeeper& s, CscriptLine& l) {
         s.changeTank(l.getString(0, true));
         return unsigned(CMD_DONE);
     }},
    {"soundmix", [](CshopKeeper& s, CscriptLine& l) { return s.soundMixCommand(l); }},
    {"chg", changed},
};

struct CshopConstant {
    char const* name;
    int value;
};
// The bits of "features" that scripts test.
constexpr CshopConstant shopConstants[] = {
    {"HAS_MOUSE", 2},     {"IS_WIN", 4},       {"IS_MAC", 8},     {"HAS_3D", 32},         {"USE_STORE", 64},
    {"IS_LG", 256},       {"IS_ANDROID", 512}, {"IS_IOS", 1024},  {"IS_MARMALADE", 2048}, {"MACNOERR", 4096},
    {"IN_3D_MODE", 4096}, {"IS_STL", 8192},    {"NO_MIX", 32768}, {"IS_DEBUG", 65536},
};

} // namespace

unsigned CshopKeeper::processCommand(CscriptHandler* handler, CscriptLine& line) {
    for (CshopCommand const& command : shopCommands)
        if (line.name == command.name) return command.run(*this, line);
    return CdirectoryVar::processCommand(handler, line);
}

int CshopKeeper::getLocalConstant(Cstring name, double& value) {
    for (CshopConstant const& constant : shopConstants) {
        if (name == constant.name) {
            value = constant.value;
            return 0;
        }
    }
    return 1;
}

void CshopKeeper::messageAllThingsAllTanks(char const* a, char const* b, float f) {
    if (loadedTanks == nullptr) return;
    // A thing's answer may take a tank away meanwhile: the tanks are listed first, and
    // one no longer loaded is passed over.
    std::vector<Cvariable*> holders;
    for (Cvariable* holder = loadedTanks->firstChild; holder; holder = holder->nextSibling)
        holders.push_back(holder);
    for (Cvariable* holder : holders) {
        if (holder->parent != loadedTanks) continue;
        if (Ctank* tank = services().asTank(holder->firstChild)) tank->messageAllThingsInTank(a, b, f);
    }
}

CnextADSR* CshopKeeper::fetchADSR() {
    return currentAdsrPool().fetchADSR();
}

void CshopKeeper::addADSR(CnextADSR* node) {
    currentAdsrPool().addADSR(node);
}

void CshopKeeper::deleteADSRs() {
    currentAdsrPool().deleteADSRs();
}
