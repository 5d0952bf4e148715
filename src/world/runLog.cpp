// The run log, the newest-file lookup and small text helpers.
#include <cstdio>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

Cstring runLogFileName;
Cstring thisRunID;

// ---- run log

void clearLargeRunLogIfNecessary() {
    fetchAppDataDir(appDataDir);
    if (appDataDir.empty()) return;
    runLogFileName = appDataDir + "runLog.txt";
    long size = getDiskFileSize(runLogFileName.c_str());
    if (size >= 50001) {
        deleteFile(runLogFileName.c_str());
    } else if (size < 0) {
        std::ofstream log;
        if (openOwnStream(log, runLogFileName.c_str(), OWN_TRUNCATE)) log << "start\n";
    }
}

void writeToMasterLog(char const* text) {
    if (runLogFileName.empty()) return;
    std::ofstream log;
    if (openOwnStream(log, runLogFileName.c_str(), OWN_APPEND))
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

// ---- small helpers

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
