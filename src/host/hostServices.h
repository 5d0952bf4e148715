// The platform services the engine reaches: files and folders, shell commands, the
// browser, downloads, the progress pane, web requests, message boxes, picture decoding,
// the master log, the clock and what the system tells about itself.
//
// Every call goes through one ChostServices object so that tests can put a recording
// fake in place of the real platform. The OS:: functions and the two request functions
// below are the names the rest of the engine calls; they forward to the current object
// and hold the platform-neutral rules (message tokens, logging) themselves.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

class imageFile;
class CsheetActions;
class CsheetWindow;

class ChostServices {
  public:
    virtual ~ChostServices();

    // Files and folders. Path keywords are expanded here. 0 success, 1 failure.
    // Writes exactly size bytes (NULs included), making missing folders on the way.
    virtual int writeFile(char const* path, char const* bytes, int size) = 0;
    // Makes every missing folder of path; 0 when the folder exists afterwards, else 1 with
    // errno telling why.
    virtual int makeFolders(char const* path) = 0;
    virtual int renameFile(char const* from, char const* to) = 0;
    virtual int deleteFile(char const* path) = 0;
    // Moves a file between full paths (no keywords), replacing any file at to; the steps
    // of a safe write. 0 success.
    virtual int moveFile(char const* from, char const* to) = 0;
    // The data folder for this user, ending in "/"; "" when the environment names none.
    virtual Cstring dataFolder() = 0;
    // Folders that may hold the installed resources, most wanted first, each ending in "/".
    virtual std::vector<Cstring> installFolderCandidates() = 0;

    // Runs command through the shell after expanding path keywords; the exit status, or
    // -1 when it could not be run.
    virtual int shellCommand(char const* command) = 0;
    // Opens the address in the default browser without waiting.
    virtual void showInternetPage(char const* url) = 0;
    // Opens the folder in the file manager without waiting; 0 when its opener started. An
    // opener that fails later says note on the message line (setMessage; null: nothing).
    // Without a platform's own, the folder goes to showInternetPage, taken to start.
    virtual int openFolder(char const* folder, char const* note) {
        (void)note;
        showInternetPage(folder);
        return 0;
    }
    // Starts downloading url into file without waiting.
    virtual void startFileDownload(char const* url, char const* file, bool showProgress) = 0;
    virtual void openProgress(char const* message) = 0;
    virtual void closeProgress() = 0;
    virtual void setProgressPercent(float percent) = 0;
    // Replaces the open progress pane's message line.
    virtual void setProgressMessage(char const* message) = 0;

    // Starts a web request of the given type without waiting; 0 started, nonzero failed.
    virtual int startHTTPrequestThread(Cstring const& path, bool reportErrors, int type,
                                       char const* extra) = 0;
    // Makes a web request and runs the reply as a script; 0 success, nonzero failed.
    virtual int makeHTTPrequestAndRunScript(Cstring const& path, bool reportErrors, int type,
                                            char const* extra) = 0;

    // Shows a message box with up to four buttons and waits; the index of the button
    // chosen (0 the first), -1 when the box went away without an answer, or
    // MESSAGE_BOX_ABANDONED when the program took it away because it is stopping.
    virtual int showMessageBox(Cstring const& text, Cstring const& info,
                               std::vector<Cstring> const& buttons) = 0;
    // Decodes a picture file (see OS::loadImageFile); 1 decoded, 0 not.
    virtual int decodePicture(imageFile& image, char const* path) = 0;
    // Makes the window of the options sheet, which reports to actions; null when the
    // platform cannot show one. The caller owns it.
    virtual CsheetWindow* makeSheetWindow(CsheetActions& actions) = 0;
    // Opens the master log (masterOut) on path, writing at its end; 0 opened.
    virtual int openMasterLog(char const* path) = 0;
    virtual void setPriority(int priority) = 0;

    // Seconds since the Unix epoch.
    virtual int64_t now() = 0;
    // The machine's own identifier as hexadecimal text (hyphens allowed), or "" when the
    // system has none.
    virtual Cstring platformId() = 0;
    // The system's name and version, separated by a blank ("Linux 6.1.0").
    virtual Cstring systemVersionText() = 0;
    // The user's locale names in order of preference ("fr_FR.UTF-8").
    virtual std::vector<Cstring> preferredLocales() = 0;

    // Opens a file chooser over the window that last had the pointer, starting in folder and
    // showing the picture types the decoder reads; returns at once. done(context, path) is
    // called later from the frame loop with the chosen path, or with null when the chooser
    // was cancelled or cannot be shown. false (and no call) when a chooser is already open.
    virtual bool beginFileRequest(char const* folder, void (*done)(void* context, char const* path),
                                  void* context) = 0;
    // Called by the frame loop once per frame: what the platform finished since (a file
    // chooser's answer) is handed on from here.
    virtual void frameTick() = 0;

    // Takes the data folder for this run alone: an advisory lock, held until
    // unlockDataFolder or the end of the process (a crash included). 0 taken (or taken
    // before), 1 another run holds it, -1 the folder cannot be locked here (it is held
    // open all the same, for processRuns to see).
    virtual int lockDataFolder(char const*) { return 0; }
    virtual void unlockDataFolder() {}
    // Who this process is, as text another process can judge later ("pid start boot
    // pidnamespace"); "" when the platform cannot tell.
    virtual Cstring processIdentity() { return Cstring(); }
    // Whether the process an identity names is a run of folder that still goes on: 1 it
    // runs and holds the folder (any process with folder null), or it is of another PID
    // namespace this process cannot see (taken to run); 0 it is gone, a zombie or holds no
    // such folder; -1 unknown (no identity, another machine's or boot's, or the platform
    // cannot tell).
    virtual int processRuns(Cstring const&, char const* /*folder*/) { return -1; }
};

// The services in use (the platform's unless replaced).
ChostServices& hostServices();
// Puts services in place (not owned; it must outlive its use); null restores the platform.
void setHostServices(ChostServices* services);
// The platform's own services, the default of hostServices().
ChostServices& platformHostServices();

// What a message box answers when the program stops while it waits (OS::ShowMessage then
// answers as when alerts are off: no button's action is taken).
enum { MESSAGE_BOX_ABANDONED = -2 };
// Tells a waiting message box that the program has been asked to stop (null: never).
extern bool (*programStopAsked)();

// Failure value of the web requests while no request machinery exists.
enum { HTTP_REQUEST_UNAVAILABLE = 1 };

extern uint8_t skipNSAlert;       // while set, OS::ShowMessage shows nothing and answers 1000
extern uint8_t alertIsBeingShown; // 1 while a message box or the progress pane is up
// The X window of the view that last had the pointer (0: none): the parent of the host's
// own windows.
extern unsigned long lastFocusWindow;

// The message line the web and update layers report to: shows the text in the registered
// field (logged as "setMsg:"); nothing while no field is registered.
void setMessage(char const* text);
// Registers the field (null: none); the sheet registers its status line while it is open.
void registerMessageField(void (*show)(char const* text));

// Opens the master log "<data folder>masterout.txt" (truncated, or with keepOld at its end)
// unless it is open. 0 on success or when already open, 1 on failure (also when there is no
// data folder); why then names the folder and the system's reason.
int openMasterOut(Cstring* why = nullptr, bool keepOld = false);
// Shows the data folder in the file manager; 0 when the opener started (see openFolder,
// which says note when it fails later).
int revealSettingsFolder(char const* note = nullptr);

namespace OS {
int shellCommand(char const* command);
void showInternetPage(char const* url);
void startFileDownload(char const* url, char const* file, bool showProgress);
// The progress pane (through the connection object once it is published); open and close
// also set and clear alertIsBeingShown. Opening an open pane changes nothing else.
void openProgress(char const* message);
void closeProgress();
void setProgressPercent(float percent);
void setProgressMessage(char const* message);

// Shows a message. "|" separates its tokens: with no title, the text and the informative
// text, then up to four buttons (one "Ok" button when fewer than three tokens); with a
// title, the title is the text and token 0 the informative text. Returns 1, 0, -1, -2
// for the first to fourth button, 0 for no answer, 1000 while skipNSAlert is set.
int ShowMessage(char const* message, char const* title, int style);

// Decodes the picture at path into an 8-bit image of four channels ("rgba", or what a
// pending forcedChannels asks for): ".png" files as PNG, ".gif", ".bmp", ".tif" and ".tiff"
// are refused, everything else is read as JPEG. ".jpg" and ".fti" pictures are read as
// resources (path keywords expanded), ".fti" being a scrambled JPEG; other paths are read
// exactly as given. The decoded size is divided by the image's size reducers and bounded by
// maxWidth/maxHeight, keeping evenly spaced columns and rows. Colour is premultiplied by
// alpha. Row 0 of the image is the bottom row of the picture. Returns 1 when decoded, 0
// (image unchanged, "image didn't open" traced) when the file is missing, corrupt or refused.
int loadImageFile(imageFile& image, char const* path);

// The data folder the platform gives, ending in "/".
Cstring defaultAppDataDir();
void SetPriority(int priority);
void closeDetailLogging();
} // namespace OS

int startHTTPrequestThread(Cstring path, bool reportErrors, int type, char const* extra);
int MakeHTTPrequestAndRunScript(Cstring path, bool reportErrors, int type, char const* extra);
