#include "host/hostServices.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "host/httpConnection.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

ChostServices::~ChostServices() = default;

uint8_t skipNSAlert = 1;
uint8_t alertIsBeingShown = 0;
unsigned long lastFocusWindow = 0;
bool (*programStopAsked)() = nullptr;

namespace {

ChostServices* currentServices = nullptr;
void (*messageTextField)(char const*) = nullptr;

void masterLine(char const* a, char const* b = "") {
    if (masterOut.is_open()) masterOut << a << b << std::endl;
}

} // namespace

ChostServices& hostServices() {
    return currentServices ? *currentServices : platformHostServices();
}

void setHostServices(ChostServices* services) {
    currentServices = services;
}

void registerMessageField(void (*show)(char const* text)) {
    messageTextField = show;
}

void setMessage(char const* text) {
    if (!messageTextField) return;
    masterLine("setMsg:", text ? text : "");
    messageTextField(text ? text : "");
}

int openMasterOut(Cstring* why, bool keepOld) {
    if (masterOut.is_open()) return 0;
    fetchAppDataDir(appDataDir);
    if (appDataDir.empty()) { // never a log in whatever folder the program was started from
        if (why) *why = "no data folder";
        return 1;
    }
    if (!mayWriteDataFolder()) {
        if (why) *why = Cstring("no log is written: ") + dataFolderReadOnly;
        return 1;
    }
    createDirectories(appDataDir.c_str(), 0);
    Cstring path = appDataDir + "masterout.txt";
    errno = 0;
    // A file of this one name, never written through a link (symbolic or hard). The log is
    // written at its end, so that a line another run adds (openMasterOut's sharer) stays.
    int fd = openOwnFile(path.c_str(), keepOld ? OWN_APPEND : OWN_TRUNCATE);
    int failed = fd < 0 ? 1 : hostServices().openMasterLog(descriptorPath(fd).c_str());
    if (fd >= 0 && failed) failed = hostServices().openMasterLog(path.c_str()); // no /proc
    int reason = errno;
    if (fd >= 0) close(fd);
    if (failed || !masterOut.is_open()) {
        if (why)
            *why = Cstring("\"masterout.txt\" cannot be written in the data folder \"") + appDataDir +
                   "\": " + (reason ? std::strerror(reason) : "not opened");
        return 1;
    }
    masterOut << "masterout:" << path << std::endl;
    return 0;
}

int revealSettingsFolder(char const* note) {
    masterLine("reveal: ", appDataDir.c_str());
    int failed = hostServices().openFolder(appDataDir.c_str(), note);
    if (failed) masterLine("the folder cannot be opened: no opener started");
    return failed;
}

namespace OS {

int shellCommand(char const* command) {
    Cstring expanded = replaceCommonPathKeyword(command ? command : "");
    VTRACE(1, "****shellCommand " << expanded);
    masterLine(expanded.c_str());
    int status = hostServices().shellCommand(command);
    if (masterOut.is_open()) masterOut << status << std::endl;
    return 0; // a failing command is only logged
}
void showInternetPage(char const* url) {
    hostServices().showInternetPage(url);
}
void startFileDownload(char const* url, char const* file, bool showProgress) {
    if (masterOut.is_open())
        masterOut << "downloading file " << (url ? url : "") << " and saving as " << (file ? file : "")
                  << std::endl;
    hostServices().startFileDownload(url, file, showProgress);
}
void openProgress(char const* message) {
    if (OBChttpConnection* connection = hangingPointerToHttpConnection)
        return connection->openProgress(message);
    alertIsBeingShown = 1;
    hostServices().openProgress(message);
}
void closeProgress() {
    if (OBChttpConnection* connection = hangingPointerToHttpConnection) return connection->closeProgress();
    alertIsBeingShown = 0;
    hostServices().closeProgress();
}
void setProgressPercent(float percent) {
    if (OBChttpConnection* connection = hangingPointerToHttpConnection)
        return connection->setProgressPercent(percent);
    hostServices().setProgressPercent(percent);
}
void setProgressMessage(char const*) {}

int ShowMessage(char const* message, char const* title, int) {
    masterLine("Doing showmessage", message ? message : "");
    if (skipNSAlert) {
        masterLine("skipping NSAlert");
        return 1000;
    }
    std::vector<Cstring> tokens;
    tokenize(tokens, message ? message : "", '|');
    if (masterOut.is_open()) {
        masterOut << "tokens=" << tokens.size() << std::endl;
        for (Cstring const& t : tokens)
            masterOut << t << std::endl;
    }
    Cstring text = title ? Cstring(title) : tokens[0];
    Cstring info = title ? tokens[0] : (tokens.size() > 1 ? tokens[1] : Cstring());
    std::vector<Cstring> buttons;
    for (size_t b = 2; b < tokens.size() && b < 6; b++)
        buttons.push_back(tokens[b]);
    if (buttons.empty()) buttons.push_back("Ok");
    alertIsBeingShown = 1;
    int chosen = hostServices().showMessageBox(text, info, buttons);
    alertIsBeingShown = 0;
    if (chosen == MESSAGE_BOX_ABANDONED) {
        masterLine("message box abandoned: the program stops");
        return 1000;
    }
    static char const* const said[] = {"FIRST RETURNED", "SECOND RETURNED", "THIRD RETURNED",
                                       "FOURTH RETURNED"};
    if (chosen >= 0 && chosen < static_cast<int>(buttons.size())) {
        masterLine(said[chosen]);
        return 1 - chosen;
    }
    if (masterOut.is_open()) masterOut << "retval=" << chosen << std::endl << "msgbox=" << text << std::endl;
    return 0;
}

int loadImageFile(imageFile& image, char const* path) {
    if (!path) return 0;
    return hostServices().decodePicture(image, path);
}

Cstring defaultAppDataDir() {
    return hostServices().dataFolder();
}
void SetPriority(int priority) {
    hostServices().setPriority(priority);
}
void closeDetailLogging() {}

} // namespace OS

int startHTTPrequestThread(Cstring path, bool reportErrors, int type, char const* extra) {
    return hostServices().startHTTPrequestThread(path, reportErrors, type, extra);
}

int MakeHTTPrequestAndRunScript(Cstring path, bool reportErrors, int type, char const* extra) {
    return hostServices().makeHTTPrequestAndRunScript(path, reportErrors, type, extra);
}
