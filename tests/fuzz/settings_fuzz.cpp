// libFuzzer target over the settings text: read into the registry as at start-up (from
// its file, where a damaged one is set aside and never ends the run), then written out and
// read back into a fresh tree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>
#include <unistd.h>

#include "fuzzScratchFolder.h"
#include "../host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "support/keptText.h"
#include "variables/configDialogVars.h"
#include "variables/variableBasics.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Settings run as script lines: file and shell commands go to a recording stand-in.
    static CfakeHostServices host;
    static CfuzzScratchFolder scratchFolder("velmora-settings-fuzz");
    static CdirectoryVar* root = [] {
        skipNSAlert = 1;
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return int(CMD_STOP); });
        if (scratchFolder.ready()) appDataDir = scratchFolder.folder().c_str();
        auto* made = new CdirectoryVar;
        made->setName("root");
        return createRegistryAndRegisterVars(made);
    }();
    // The keys registration made. Arrays an input declares carry the registered flag too,
    // so the flag cannot tell them apart: kept by it, they piled up from input to input.
    static std::unordered_set<Cvariable*> const keys = [] {
        std::unordered_set<Cvariable*> made;
        for (Cvariable* c = root->firstChild; c; c = c->nextSibling)
            made.insert(c);
        return made;
    }();
    CfuzzScratchFolder::Visit inside(scratchFolder);
    host.calls.clear();
    setRegistrySettingsToDefaults();

    std::string file = std::string(appDataDir.c_str()) + "registry.txt";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    }
    OS::readRegistryVarsInto(root);
    if (exitSaver || erroredExit) __builtin_trap(); // a damaged registry must not end the run
    std::remove(file.c_str());
    std::remove((file + ".damaged").c_str());
    resetExitState();
    scriptError = 0;

    if (root->firstChild) {
        std::ostringstream out;
        root->firstChild->saveConfig(out, 0, 1);
        std::string text = out.str();
        // Read back into a tree of its own: the registry keeps only what registration made.
        CscriptVar again;
        again.processStringScript(text.data(), text.size());
        CdirectoryVar scratch;
        runScript(&scratch, &again);
    }
    // What the input added goes, so that the tree does not grow from one input to the next.
    for (Cvariable* c = root->firstChild; c;) {
        if (keys.count(c)) {
            c->deleteChildren();
            c = c->nextSibling;
        } else {
            delete c; // unhooks itself; a dying node may take others, so start over
            c = root->firstChild;
        }
    }
    emptyTrash(); // as the frame loop does
    resetExitState();
    scriptError = 0;

    // A run that took the data folder late merges settings texts: the input in three parts as
    // the file now, what the run wrote at its start (and read) and what it writes now.
    std::string text(reinterpret_cast<char const*>(data), size);
    size_t third = size / 3;
    std::string const start = text.substr(third, third);
    std::vector<std::string> unmerged;
    std::string merged =
        mergeKeptText(text.substr(0, third), start, text.substr(2 * third), &unmerged, &start);
    if (merged.size() > 2 * size + 64) __builtin_trap(); // entries are chosen, never made up
    return 0;
}
