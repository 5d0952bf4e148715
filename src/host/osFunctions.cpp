#include "host/osFunctions.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

#ifndef VELMORA_DEFAULT_INSTALL_DIR
#define VELMORA_DEFAULT_INSTALL_DIR ""
#endif

uint8_t skipNSAlert = 1;
uint8_t alertIsBeingShown = 0;

int openMasterOut() {
    if (masterOut.is_open()) return 0;
    fetchAppDataDir(appDataDir);
    createDirectories(appDataDir.c_str(), 0);
    Cstring path = appDataDir + "masterout" + ".txt";
    masterOut.clear();
    masterOut.open(path.c_str(), std::ios::out | std::ios::trunc);
    if (!masterOut.is_open()) return 1;
    masterOut << "masterout:" << path << std::endl;
    return 0;
}

namespace OS {

static uint32_t randSeed = 0;
static std::deque<int> scriptedAnswers;
int defaultMessageAnswer = 1;

int _rand() {
    randSeed = randSeed * 8253729u + 2396403u;
    return static_cast<int>(randSeed % 32767u);
}

void _srand(unsigned int seed) {
    randSeed = seed;
}
void timeRandomizeSrand() {}

static Cstring withSlash(char const* folder) {
    Cstring out(folder);
    if (out.size() && out.c_str()[out.size() - 1] != '/') out += '/';
    return out;
}

Cstring defaultAppDataDir() {
    char const* own = std::getenv("VELMORA_DATA_DIR");
    if (own && *own) return withSlash(own);
    char const* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return withSlash(xdg) + "velmora/";
    char const* home = std::getenv("HOME");
    return withSlash(home && *home ? home : "/tmp") + ".local/share/velmora/";
}

int getInstallDir(Cstring& folder) {
    std::vector<Cstring> candidates;
    char const* own = std::getenv("VELMORA_INSTALL_DIR");
    if (own && *own) candidates.push_back(withSlash(own));
    if (*VELMORA_DEFAULT_INSTALL_DIR) candidates.push_back(withSlash(VELMORA_DEFAULT_INSTALL_DIR));
    for (Cstring const& c : candidates) {
        if (fileExists((c + "defaults.txt").c_str())) {
            folder = c;
            installDir = c;
            macContentsDir = c;
            return 0;
        }
    }
    folder = "";
    return 1;
}

void scriptMessageAnswers(std::vector<int> const& answers) {
    scriptedAnswers.assign(answers.begin(), answers.end());
}

int ShowMessage(char const* message, char const* title, int) {
    if (masterOut.is_open()) masterOut << "Doing showmessage" << (message ? message : "") << std::endl;
    if (skipNSAlert) {
        if (masterOut.is_open()) masterOut << "skipping NSAlert" << std::endl;
        return 1000;
    }
    std::vector<Cstring> tokens;
    tokenize(tokens, message ? message : "", '|');
    Cstring text = title ? Cstring(title) : tokens[0];
    Cstring info = title ? tokens[0] : (tokens.size() > 1 ? tokens[1] : Cstring());
    std::cerr << "Velmora: " << text;
    if (!info.empty()) std::cerr << ": " << info;
    for (size_t b = 2; b < tokens.size() && b < 6; b++)
        std::cerr << (b == 2 ? " [" : " | ") << tokens[b];
    if (tokens.size() > 2) std::cerr << "]";
    std::cerr << std::endl;
    alertIsBeingShown = 1;
    int answer = defaultMessageAnswer;
    if (!scriptedAnswers.empty()) {
        answer = scriptedAnswers.front();
        scriptedAnswers.pop_front();
    }
    alertIsBeingShown = 0;
    if (masterOut.is_open()) masterOut << "answer " << answer << std::endl;
    return answer;
}

void closeDetailLogging() {}
void SetPriority(int) {}

} // namespace OS
