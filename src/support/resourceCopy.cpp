#include "support/resourceCopy.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"

uint8_t resourceCopyAskedBack = 0;

namespace fs = std::filesystem;

namespace {

CcopyLoad* currentLoad = nullptr;
unsigned loadsBlamed = 0; // the loads that ended the start naming a file

// The path inside the copy ("tanks/x/x.tank"), or false when path leads elsewhere.
bool partOfCopy(char const* path, std::string& part) {
    if (path == nullptr || appDataDir.empty()) return false;
    // A path relative to the working folder (the engine works in the copy) is judged by
    // where it leads.
    Cstring full = replaceCommonPathKeyword(path);
    std::error_code error;
    std::string found = fs::absolute(full.c_str(), error).lexically_normal().string();
    std::string copy = std::string(appDataDir.c_str()) + "Resources/";
    if (error || found.size() <= copy.size() || found.compare(0, copy.size(), copy) != 0) return false;
    part = found.substr(copy.size());
    return true;
}

std::string firstLine(fs::path const& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The copy is the installed tree's (the host writes the stamp with the copy).
bool copyIsWhole() {
    std::string installed = firstLine(fs::path(installDir.c_str()) / "resources.stamp");
    return !installed.empty() &&
           installed == firstLine(fs::path(appDataDir.c_str()) / "Resources/resources.stamp");
}

long plainFileSize(char const* path) {
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long>(st.st_size);
}

bool sameBytes(char const* a, char const* b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y) return false;
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

void logRenewal(Cstring const& copy, char const* why) {
    VTRACE(1, "resource copy: " << copy << " " << why << "; copied again from the install folder");
    if (masterOut.is_open())
        masterOut << "resource copy: " << copy << " " << why << "; copied again from the install folder"
                  << std::endl;
}

// Puts the installed file in the copy's place (whatever stands there goes); "" when done,
// else the system's reason.
std::string copyAgain(Cstring const& copy, Cstring const& installed, char const* why) {
    std::error_code error;
    fs::path target(copy.c_str());
    fs::remove_all(target, error);
    std::string removeFailed = error ? error.message() : std::string();
    fs::create_directories(target.parent_path(), error);
    fs::copy_file(installed.c_str(), target, fs::copy_options::overwrite_existing, error);
    if (error) {
        // What stood in the way says more than the copy that then failed.
        std::string reason = removeFailed.empty() ? error.message() : removeFailed;
        VTRACE(1, "resource copy: " << copy << " could not be copied again: " << reason.c_str());
        return reason;
    }
    logRenewal(copy, why);
    return std::string();
}

// The copy's file for path (expanded, made absolute), or empty when path is no file of it.
Cstring copyFileOf(char const* path, std::string& part) {
    if (!partOfCopy(path, part)) return Cstring();
    return appDataDir + "Resources/" + part.c_str();
}

} // namespace

bool pathInResourceCopy(char const* path) {
    std::string part;
    return partOfCopy(path, part);
}

Cstring installedResource(char const* path) {
    std::string part;
    if (installDir.empty() || !partOfCopy(path, part)) return Cstring();
    // Only the folders the host copies; anything else in the copy came from elsewhere.
    for (char const* folder : {"global/", "species/", "tanks/"})
        if (part.compare(0, std::strlen(folder), folder) == 0)
            return copyIsWhole() ? installDir + part.c_str() : Cstring();
    return Cstring();
}

void askForResourceCopyBack() {
    if (engineHooks.restoreResourceTree == nullptr) return;
    engineHooks.restoreResourceTree();
    resourceCopyAskedBack = 1;
}

void mendResourceCopyFile(char const* path) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    if (copy.empty()) return;
    long size = plainFileSize(copy.c_str());
    if (size > 0) return; // the usual case: one look
    Cstring installed = installedResource(copy.c_str());
    if (installed.empty() || plainFileSize(installed.c_str()) <= 0) return;
    struct stat st;
    bool there = lstat(copy.c_str(), &st) == 0;
    // One that cannot be written fails its load, which names it.
    copyAgain(copy, installed, !there ? "is missing" : size < 0 ? "is no plain file" : "is empty");
}

bool dropFileNotInstalled(char const* path) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    struct stat st;
    if (copy.empty() || lstat(copy.c_str(), &st) != 0 || installDir.empty() || !copyIsWhole()) return false;
    bool copiedFolder = false;
    for (char const* folder : {"global/", "species/", "tanks/"})
        copiedFolder = copiedFolder || part.compare(0, std::strlen(folder), folder) == 0;
    if (copiedFolder && lstat((installDir + part.c_str()).c_str(), &st) == 0) return false;
    std::error_code error;
    fs::remove_all(copy.c_str(), error);
    if (error) {
        VTRACE(1, "resource copy: " << copy << " could not be removed: " << error.message().c_str());
        return false;
    }
    VTRACE(1, "resource copy: " << copy << " fails to load and is not installed; removed");
    if (masterOut.is_open())
        masterOut << "resource copy: " << copy << " fails to load and is not installed; removed" << std::endl;
    return true;
}

void noteResourceRead(char const* path) {
    if (currentLoad == nullptr) return;
    std::string part;
    Cstring copy = copyFileOf(path, part);
    if (!copy.empty()) currentLoad->note(copy);
}

CcopyLoad::CcopyLoad() : outer(currentLoad), blamesBefore(loadsBlamed) {
    currentLoad = this;
}

CcopyLoad::~CcopyLoad() {
    currentLoad = outer;
    // What an inner load read, the load around it read too.
    if (outer)
        for (Cstring const& path : read)
            outer->note(path);
}

void CcopyLoad::note(Cstring const& path) {
    for (Cstring const& p : read)
        if (p == path) return;
    if (read.size() < 64) read.push_back(path);
}

Cstring CcopyLoad::firstInstalled() const {
    for (Cstring const& path : read) {
        Cstring installed = installedResource(path.c_str());
        if (!installed.empty()) return installed;
    }
    return Cstring();
}

bool CcopyLoad::renewDamaged() {
    bool renewed = false;
    for (Cstring const& path : read) {
        Cstring installed = installedResource(path.c_str());
        if (installed.empty() || plainFileSize(installed.c_str()) < 0 ||
            sameBytes(path.c_str(), installed.c_str()))
            continue;
        std::string why = copyAgain(path, installed, "fails to load");
        if (why.empty())
            renewed = true;
        else if (notRenewed.empty()) {
            notRenewed = path;
            whyNotRenewed = why.c_str();
        }
    }
    return renewed;
}

void CcopyLoad::blame() const {
    // A load around the one that failed fails with it: the file is named once.
    if (loadsBlamed != blamesBefore) return;
    Cstring installed = firstInstalled();
    if (installed.empty() && notRenewed.empty()) return;
    loadsBlamed++;
    resourceCopyAskedBack = 1;
    if (!notRenewed.empty())
        setExitError(
            (Cstring("the resource copy's file ") + notRenewed +
             " fails to load and could not be copied again from the install folder: " + whyNotRenewed)
                .c_str(),
            1);
    else
        setExitError((Cstring("the installed file ") + installed + " fails to load").c_str(), 1);
}
