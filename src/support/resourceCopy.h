// The data folder's copy of the installed resources ("Resources/" in the data folder).
//
// The engine reads its resources from the copy. A file of the copy that is damaged is
// copied again from the install folder, file by file, in the same start: one that is
// missing, no plain file, empty or unreadable where the installed one is not, as soon as the file
// layer looks for it; one that fails to load, by the load itself (loadRenewingCopy). Only
// a whole copy (its stamp the install folder's) is mended: another version of the copy is
// replaced whole at start-up.
#pragma once

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "support/cerr.h"
#include "support/mystring.h"

// Set (never cleared here) when the copy was asked back from the install folder, or when a
// file of it still failed after it was copied again: a run that then fails failed on the
// resources, and the settings are not to blame.
extern uint8_t resourceCopyAskedBack;

// Whether path (with or without a folder keyword, relative to the working folder or not)
// leads into the data folder's resource copy.
bool pathInResourceCopy(char const* path);
// The installed file that path's file of a whole copy comes from (the copied folders
// global, species and tanks only); empty for any other path, or when the copy is not whole.
Cstring installedResource(char const* path);
// Which copy the data folder holds now (its stamp file's identity): another when the copy
// was made again, whoever made it; empty without one.
Cstring resourceCopyIdentity();
// Asks for the whole copy back from the install folder (the engine's hook) and notes it.
void askForResourceCopyBack();
// Copies the file from into to (made, or emptied first); "" when done, else the system's
// reason. Written by hand: the library's copy reports a write that fails part way (a full
// disk, a file too large) as a bare input/output error.
std::string copyResourceFile(char const* from, char const* to);
// The copy could not be written (why: which piece, the system's reason): what this run made
// of it goes (made: the whole copy's folder, or the one file being written), and for the rest
// of the run the engine reads the install folder's resources (resourceCopyGivenUp, the
// working folder moved there when it was the copy). stderr and the log say so once. The data
// folder's own files stay the run's to read and save; the next start makes the copy again.
void giveUpResourceCopy(Cstring const& why, Cstring const& made);

// Called by the file layer before it looks at a file for reading (path expanded): a file
// of a whole copy that is missing, no plain file, empty or unreadable where the installed
// one is not, is copied again first.
void mendResourceCopyFile(char const* path);
// Called by the file layer for each file it opens for reading (path expanded).
void noteResourceRead(char const* path);
// Copies again every file of the copy this start read that differs from its installed
// file (a start that failed on one of them in any way: a material that cannot become
// shaders, a picture that cannot be used); true when any was. A file that cannot be
// copied again is named in the log.
bool renewCopyFilesRead(char const* why);
// Called as a start of the engine begins: what an earlier start of the process read (before
// the options sheet started the engine again, in another run's data folder) is not this one's.
void forgetCopyFilesRead();
// Whether a failure of path's file is the installed file's own: a file outside the copy (the
// install folder's, read by a run that keeps nothing), or one of the copy as installed.
bool failsAsInstalled(char const* path);
// Removes path's file from a whole copy when the install folder does not hold it (a file
// a reply or a package put there), as a copy made again would; true when it was removed.
bool dropFileNotInstalled(char const* path);

// ---- the files scripts came from
//
// Every line parsed from a file keeps that file's number (lines copied from it too: a key's
// binding, a stored script), and the runner says whose line runs. What ends the run while a
// line of the resource copy runs (":exit0", ":exit", an exit error) is laid at that file's
// door: when it differs from the installed file it is copied again at once, and the next
// start runs the installed file. After the first frame, the files of the copy whose lines
// run are named in the run marker once each, so that a start after a crash renews them.

// The number of path's file (made whole from the working folder), the same for the same
// file; -1 for none.
int scriptSourceIndex(char const* path);
// The file whose line runs now (-1: none, or lines of no file).
extern int runningScriptSource;
// The number lines parsed now are given (-1: a text, not a file).
extern int parsingScriptSource;
// The full path of the run marker while it names the files of the copy that run ("" when
// it does not: before the first frame, in a preview, in a run that keeps nothing).
extern Cstring runMarkerPath;
// The full path of this run's marker while this run keeps one ("" when it keeps none).
extern Cstring ownRunMarker;

// ---- the data folder's own script files, for a fault of the process
//
// A file of the data folder outside the copy that runs as a script (the settings, the
// registry, "msg.txt") is noted while it is read, so that a fault of the process itself
// while it is read, or while a line parsed from it runs, can name it in the run marker
// (host/crashRecord). Names are relative to the data folder.
void ownScriptFileBegins(char const* path);
void ownScriptFileEnds(char const* path);
// A name a marker gives for a file of the data folder: relative, with no "." or ".." piece
// and no empty one; the file it names must be a regular file there (no link). The whole
// path, or empty when the name is refused.
Cstring ownFileNamedInMarker(char const* name);
// A part a marker names as a file of the copy ("species/x/x.spec"): relative, with no "."
// or ".." piece, naming a regular file of the copy; its whole path, else empty.
Cstring copyFileNamedInMarker(char const* part);

// What the fault handler reads as the process dies: fixed buffers, kept up to date as the
// run goes (no allocation and no lock is needed to read them).
struct CfaultNote {
    char marker[4096] = {};                 // this run's marker ("" while it keeps none)
    char reading[256] = {};                 // the own script file being read now ("" none)
    volatile sig_atomic_t memoryRanOut = 0; // an allocation failed (host/crashRecord notes it)
};
extern CfaultNote faultNote;
// The data folder's own script file whose line runs now, or being read now; "" for none.
// Safe to call from a fault handler.
char const* ownFileAtWorkNow();

struct CscriptSource {
    Cstring path;       // whole
    Cstring part;       // inside the copy ("species/x/x.spec"); empty for other files
    Cstring own;        // a file of the data folder outside the copy: its name there
    bool named = false; // in the run marker
};
extern std::vector<CscriptSource> scriptSources;
void nameScriptSourceInMarker(int index);
// Called by the runner when a line of file index begins to run: the first time after the
// run marker names the files of the copy that run, the file is added there.
inline void scriptSourceRuns(int index) {
    if (runMarkerPath.empty() || index < 0 || index >= static_cast<int>(scriptSources.size())) return;
    CscriptSource const& source = scriptSources[static_cast<size_t>(index)];
    if (!source.part.empty() && !source.named) nameScriptSourceInMarker(index);
}
// The parts of the copy ("species/x/x.spec") whose lines ran since the marker names them.
std::vector<Cstring> const& copyScriptsRun();
// Called when the run ends (setExit, exit0): the copy's file whose line runs is renewed
// (see above). Inside a load (loadRenewingCopy), which renews and runs again by itself, only
// when the process ends at once.
void renewRunningScriptFile(bool processEnds);
// A file of the copy (a part "species/x/x.spec", or a full path into it) is copied again
// from the install folder when it differs from it (the changed file kept, see below); a file
// of a whole copy that the install folder does not hold is removed (and kept). true when
// the copy's file was replaced or removed.
bool renewCopyFile(char const* path, char const* why);
// A file of the copy that differs from the installed one and is about to be replaced or
// removed is kept first (moved) in "Resources.edited/" of the data folder, at the same place (or
// with ".2", ".3" and so on added when an earlier one is kept there), and the log says so.
// Only for a whole copy (another version's files differ for that alone). false when a changed
// file could not be kept (a full disk): it is then neither replaced nor removed.
bool keepChangedCopyFile(char const* copyPath);
// The same for every file of a whole copy that differs from the installed tree, before the
// copy is made again whole; false when any could not be kept.
bool keepChangedCopyFiles();

// ---- why a load failed, as the file layer and the allocator know it
//
// The file layer notes a file of the installed tree (of the copy's copied folders, or of the
// install folder itself) that it needed and could not have; the note holds until the next
// script line begins, so that the error the want of it ends in can say why.
// True when path is such a file and was noted.
bool noteFileNotHad(char const* path);
void forgetFileNotHad();
// Why the run fails now, as far as is known: the file the file layer could not have ("the
// file <installed> is missing from the install folder: install Velmora again", "... cannot be
// read: <the system's reason>"), else memory run out ("memory ran out while <the file read
// last> was loaded"); empty when nothing is known.
Cstring failureCause();

// One attempt at a load: the files of the copy that the file layer opens while it lasts.
class CcopyLoad {
  public:
    CcopyLoad();
    ~CcopyLoad();
    CcopyLoad(CcopyLoad const&) = delete;
    CcopyLoad& operator=(CcopyLoad const&) = delete;

    // Copies again the files read that differ from their installed ones; true when any was.
    bool renewDamaged();
    // The installed file of the first file of a whole copy read; empty when none was.
    Cstring firstInstalled() const;
    void note(Cstring const& path);
    // Ends the start on a load that failed on the copy as installed: names the file of the
    // copy that could not be written again and why, else why the load failed when that is
    // known (failureCause, or the run's error says it already), else the installed file. A
    // load around one already blamed says nothing more.
    void blame() const;

  private:
    CcopyLoad* outer;
    std::vector<Cstring> read;
    unsigned blamesBefore;
    Cstring notRenewed, whyNotRenewed; // the first file of the copy that could not be written
};

// Runs load (true when it worked; an exit recorded meanwhile is a failure too). When it
// fails and files of the copy that it read differ from the installed ones, those are copied
// again and load runs once more; what the failed attempt recorded never happened. A load
// that fails on files of the copy as installed ends the start naming the installed file,
// or the file of the copy that could not be copied again. True when a load worked.
template <typename Load> bool loadRenewingCopy(Load&& load) {
    // Stopping already: a load may fail for that alone, and nothing is to blame.
    if (exitSaver || erroredExit) return load();
    {
        CcopyLoad attempt;
        CexitHold hold;
        if (load() && !hold.exitRecorded()) return true;
        if (attempt.firstInstalled().empty()) return false; // no file of the copy: not ours to judge
        if (!attempt.renewDamaged()) {
            attempt.blame();
            return false;
        }
        hold.forget();
    }
    CcopyLoad retry;
    CexitHold hold;
    if (load() && !hold.exitRecorded()) return true;
    retry.blame();
    return false;
}
