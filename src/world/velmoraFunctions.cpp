#include "world/velmoraFunctions.h"

#include <cstdio>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <string_view>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

CshopKeeper* shopKeeper = nullptr;
CdirectoryVar* shopKeeperDirectory = nullptr;
Cstring phaseName;
Cstring stdoutFilename;
uint8_t allowStdoutFile = 1;
int16_t global_isPreview = 0;
uint8_t askAboutCrash = 0;
Cstring runLogFileName;
Cstring thisRunID;
Cstring append_test_to_internet_calls;
char const langCodesList[] = "_en_de_nl_fr_fl_es_pt_sv_it";

// ---- run phases

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
        createDiskFile("[APD]isRunning.txt", marker.c_str(), -1);
    }
}

// ---- run log

void clearLargeRunLogIfNecessary() {
    fetchAppDataDir(appDataDir);
    if (appDataDir.empty()) return;
    runLogFileName = appDataDir + "runLog.txt";
    long size = getDiskFileSize(runLogFileName.c_str());
    if (size >= 50001) {
        deleteFile(runLogFileName.c_str());
    } else if (size < 0) {
        std::ofstream log(runLogFileName.c_str(), std::ios::out | std::ios::trunc);
        log << "start\n";
    }
}

void writeToMasterLog(char const* text) {
    if (runLogFileName.empty()) return;
    std::ofstream log(runLogFileName.c_str(), std::ios::out | std::ios::app);
    log << thisRunID << ": " << (text ? text : "") << "\n";
}

Cstring getMostRecentFileWithPrefix(Cstring pattern) {
    namespace fs = std::filesystem;
    if (appDataDir.empty()) return Cstring();
    std::error_code error;
    fs::directory_iterator it(appDataDir.c_str(), error), end;
    Cstring newest;
    fs::file_time_type newestTime;
    for (; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
        std::error_code timeError;
        fs::file_time_type time = it->last_write_time(timeError);
        if (timeError) continue;
        if (newest.empty() || time > newestTime) {
            newest = name.c_str();
            newestTime = time;
        }
    }
    return newest;
}

// ---- languages and small helpers

int languageCodeToLanguageNumber(Cstring const& code) {
    if (code.empty()) return -1;
    std::string_view list(langCodesList);
    size_t p = list.find(std::string_view(code.c_str(), static_cast<size_t>(code.size())));
    if (p == std::string_view::npos || p == 0) return -1;
    return static_cast<int>((p - 1) / 3);
}

char const* languageNumToLanguageCode(int n) {
    static char const* const codes[] = {"en", "de", "nl", "fr", "fl", "es", "pt", "sv", "it"};
    return n >= 0 && n <= 8 ? codes[n] : "en";
}

Cstring intToAtoz(int n) {
    int64_t value = n < 0 ? -static_cast<int64_t>(n) : n;
    char digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('a' + value % 26);
        value /= 26;
    } while (value > 0);
    Cstring out(n < 0 ? "-" : "");
    while (count > 0)
        out += digits[--count];
    return out;
}

char* tokenToTempBuf(char const* name, Cstring value) {
    std::snprintf(tempBuf, tempBufSize, "%s=%s&", name ? name : "", value.c_str());
    return tempBuf;
}
