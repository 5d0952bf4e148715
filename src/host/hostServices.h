// The platform services that scripts reach: files and folders, shell commands, the
// browser, downloads, the progress pane and web requests.
//
// Every call goes through one ChostServices object so that tests can put a recording
// fake in place of the real platform. The OS:: functions and the two request functions
// below are the names the rest of the engine calls; they forward to the current object.
#pragma once

#include "support/mystring.h"

class ChostServices {
  public:
    virtual ~ChostServices();

    // Files and folders. Path keywords are expanded here. 0 success, 1 failure.
    // Writes exactly size bytes (NULs included), making missing folders on the way.
    virtual int writeFile(char const* path, char const* bytes, int size) = 0;
    // Makes every missing folder of path; 0 when the folder exists afterwards.
    virtual int makeFolders(char const* path) = 0;
    virtual int renameFile(char const* from, char const* to) = 0;
    virtual int deleteFile(char const* path) = 0;

    // Runs command through the shell after expanding path keywords; the exit status, or
    // -1 when it could not be run.
    virtual int shellCommand(char const* command) = 0;
    // Opens the address in the default browser without waiting.
    virtual void showInternetPage(char const* url) = 0;
    // Starts downloading url into file without waiting.
    virtual void startFileDownload(char const* url, char const* file, bool showProgress) = 0;
    virtual void openProgress(char const* message) = 0;
    virtual void closeProgress() = 0;
    virtual void setProgressPercent(float percent) = 0;

    // Starts a web request of the given type without waiting; 0 started, nonzero failed.
    virtual int startHTTPrequestThread(Cstring const& path, bool reportErrors, int type,
                                       char const* extra) = 0;
    // Makes a web request and runs the reply as a script; 0 success, nonzero failed.
    virtual int makeHTTPrequestAndRunScript(Cstring const& path, bool reportErrors, int type,
                                            char const* extra) = 0;
    // Saves the settings registry to "registry.txt" in the data folder; 0 written.
    virtual int storeRegistry() = 0;
};

// The Linux platform: files, folders and shell commands work; the browser is opened
// with xdg-open; web requests and downloads are not available yet and fail.
class ClinuxHostServices : public ChostServices {
  public:
    int writeFile(char const* path, char const* bytes, int size) override;
    int makeFolders(char const* path) override;
    int renameFile(char const* from, char const* to) override;
    int deleteFile(char const* path) override;
    int shellCommand(char const* command) override;
    void showInternetPage(char const* url) override;
    void startFileDownload(char const* url, char const* file, bool showProgress) override;
    void openProgress(char const* message) override;
    void closeProgress() override;
    void setProgressPercent(float percent) override;
    int startHTTPrequestThread(Cstring const& path, bool reportErrors, int type, char const* extra) override;
    int makeHTTPrequestAndRunScript(Cstring const& path, bool reportErrors, int type,
                                    char const* extra) override;
    int storeRegistry() override;

    bool progressOpen = false;
    float progressPercent = 0;
};

// The services in use (the Linux platform unless replaced).
ChostServices& hostServices();
// Puts services in place (not owned; it must outlive its use); null restores the platform.
void setHostServices(ChostServices* services);

// Failure value of the web requests while no request machinery exists.
enum { HTTP_REQUEST_UNAVAILABLE = 1 };

namespace OS {
int shellCommand(char const* command);
void showInternetPage(char const* url);
void startFileDownload(char const* url, char const* file, bool showProgress);
void openProgress(char const* message);
void closeProgress();
void setProgressPercent(float percent);
// Saves the settings registry; 0 written, 1 not opened.
int storeRegistryStuff();
} // namespace OS

int startHTTPrequestThread(Cstring path, bool reportErrors, int type, char const* extra);
int MakeHTTPrequestAndRunScript(Cstring path, bool reportErrors, int type, char const* extra);
