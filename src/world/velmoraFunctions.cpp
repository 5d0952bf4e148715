#include "world/velmoraFunctions.h"

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

CshopKeeper* shopKeeper = nullptr;
Cstring phaseName;
Cstring stdoutFilename;
uint8_t allowStdoutFile = 1;
int16_t global_isPreview = 0;
uint8_t askAboutCrash = 0;

Cstring runPhaseOutputFile(Cstring const& phase) {
    static char const* const table[][2] = {{"initGlobals", "stdout_init.txt"},
                                           {"openShop", "stdout_startup.txt"},
                                           {"run", "stdout_run.txt"},
                                           {"closing", "stdout_closing.txt"}};
    for (auto const& row : table)
        if (phase == row[0]) return Cstring(row[1]);
    return Cstring();
}

void clearCrashIndicatorFile() {
    deleteFile("[APD]isRunning.txt");
}

void enterRunPhase(Cstring phase, bool writeMarker) {
    phaseName = phase;
    if (phase == "done") {
        if (!erroredExit) clearCrashIndicatorFile();
        return;
    }
    Cstring name = runPhaseOutputFile(phase);
    if (masterOut.is_open()) masterOut << name << std::endl;
    if (name.empty() || !allowStdoutFile) return;
    if (erroredExit == 1) name = Cstring("X") + name;
    if (shopKeeper) name = appDataDir + name;
    if (name == stdoutFilename) return;
    stdoutFilename = name;
    openStdout(stdoutFilename.c_str());
    if (!erroredExit && !global_isPreview && writeMarker) {
        Cstring marker = Cstring(":s pn ") + phase + "\n:s sof " + stdoutFilename + "\n";
        setAsideUnlessFile("[APD]isRunning.txt");
        createDiskFile("[APD]isRunning.txt", marker.c_str(), -1);
    }
}
