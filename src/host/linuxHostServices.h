// The Linux platform behind ChostServices.
//
// Files and folders work directly; shell commands, the browser and the file manager are started
// with posix_spawnp; web requests and downloads go to the web layer once it is installed (they
// fail until then). With no window system a message box is written to stderr and
// answered with its first button, the progress pane is only remembered and no options
// sheet can be made.
// Folders follow the XDG rules: the data folder is $VELMORA_DATA_DIR (a relative one taken
// from the working folder), else $XDG_DATA_HOME/velmora/ when that is absolute, else
// ~/.local/share/velmora/ with the home folder from $HOME when absolute, else from the
// password database; with none of them there is no data folder (""). The install folder is
// $VELMORA_INSTALL_DIR (the installed program sets it to the tree beside it), else the
// resource folder the build put in place.
#pragma once

#include "host/hostServices.h"

class ClinuxHostServices : public ChostServices {
  public:
    int writeFile(char const* path, char const* bytes, int size) override;
    int makeFolders(char const* path) override;
    int renameFile(char const* from, char const* to) override;
    int deleteFile(char const* path) override;
    int moveFile(char const* from, char const* to) override;
    Cstring dataFolder() override;
    std::vector<Cstring> installFolderCandidates() override;
    int shellCommand(char const* command) override;
    void showInternetPage(char const* url) override;
    // With "xdg-open" found on the PATH, looked after each frame until it ends.
    int openFolder(char const* folder, char const* note) override;
    void startFileDownload(char const* url, char const* file, bool showProgress) override;
    void openProgress(char const* message) override;
    void closeProgress() override;
    void setProgressPercent(float percent) override;
    void setProgressMessage(char const* message) override;
    int startHTTPrequestThread(Cstring const& path, bool reportErrors, int type, char const* extra) override;
    int makeHTTPrequestAndRunScript(Cstring const& path, bool reportErrors, int type,
                                    char const* extra) override;
    int showMessageBox(Cstring const& text, Cstring const& info,
                       std::vector<Cstring> const& buttons) override;
    int decodePicture(imageFile& image, char const* path) override;
    CsheetWindow* makeSheetWindow(CsheetActions& actions) override;
    int openMasterLog(char const* path) override;
    void setPriority(int priority) override;
    int64_t now() override;
    Cstring platformId() override;
    Cstring systemVersionText() override;
    std::vector<Cstring> preferredLocales() override;
    // No chooser yet: the request is answered as cancelled at the next frame.
    bool beginFileRequest(char const* folder, void (*done)(void* context, char const* path),
                          void* context) override;
    void frameTick() override;
    int lockDataFolder(char const* folder) override;
    void unlockDataFolder() override;
    Cstring processIdentity() override;
    int processRuns(Cstring const& identity, char const* folder) override;

    bool progressOpen = false;
    void (*fileRequestDone)(void* context, char const* path) = nullptr;
    void* fileRequestContext = nullptr;
    float progressPercent = 0;
    // The folder openers still running, and what each says should it fail.
    struct Copener {
        int pid;
        Cstring note;
    };
    std::vector<Copener> openers;
};

// The user's home folder ending in "/": $HOME when absolute, else the password database's
// entry for this user; "" when neither names one.
Cstring homeFolder();

// The first line of a machine-id file with blanks and line ends trimmed; "" when the
// file is missing or empty.
Cstring readMachineIdFile(char const* path);
