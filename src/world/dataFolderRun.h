// Which run keeps the data folder, and what a run that ended uncleanly leaves the next.
//
// One run at a time keeps the data folder: an advisory lock on the folder, held for the run.
// A run that finds it held runs beside the other and keeps nothing, and takes the folder as
// soon as it is free (every second, and before each save): from then on it keeps what its
// viewer does, writing the kept files as the other run left them with only its own changes
// put in (support/keptText.h); should it end first, it leaves what it changed there for the
// run that keeps the folder, which takes it in. A folder that cannot be locked (its file
// system has no locks, it cannot be opened) is told apart by the run marker alone: the
// process it names, alive or gone, in whatever PID namespace (one this run cannot see,
// outside its container, is taken to live). A run whose marker another run that may go on
// wrote over leaves that one be.
//
// The marker a run left behind tells the next start what to mend before anything runs: a
// start that ended before its first frame has the whole copy made again (the copy is the
// program's, and may have ended it); the files of the copy whose scripts ran after the first
// frame are copied again where they differ. The user's own files (the settings, the
// registry) are blamed only on what the process itself recorded: a fault of the program's
// own code while it read the file or ran a line of it (host/crashRecord), or a run that ended
// on an error in a line of the file itself (a saved tank that cannot be built; not for want of
// a file of the install, nor of memory: app/hostLoop settingsAtFault). The next start
// then names the file as suspect, and when that start fails in it the same way, it is set
// aside, kept under another name, and the viewer is told where. An end from outside (a kill,
// the power, memory running out, a fault inside a library such as the graphics driver)
// leaves the user's files as they are, however often it comes. A marker whose process cannot
// be judged (one of another machine, in a folder that cannot be locked) is neither a crash
// nor a live run: it is left unjudged.
#pragma once

#include <vector>

#include "support/mystring.h"

struct CleftRun {
    bool present = false;
    Cstring phase;
    Cstring identity;         // the process it names ("" for a marker of an older build)
    Cstring suspect;          // an own file the run before it failed in
    int faultSignal = 0;      // the fault the process died of, 0 when none was recorded
    Cstring faultKind;        // "own" (the program's code), "library", "memory" or "sent"
    Cstring faultFile;        // the own file being read, or whose line ran, then
    Cstring failedIn;         // the own file the run ended on an error in (a tank it held)
    std::vector<Cstring> ran; // files of the copy whose scripts ran after its first frame
};

// The marker at path as text; another run's too, but only the run that keeps the folder
// (keeping) sets aside what stands in its place.
CleftRun readLeftRun(char const* path, bool keeping = false);
// The marker names a run of this folder that still goes on, other than this one.
bool leftRunAlive(CleftRun const& left);
// Acts on a marker a run left behind (see above); true when that run ended before its first
// frame: the caller has the copy made again before any of it runs. suspect: the own file
// this run's marker is to name as suspect ("" none).
bool settleLeftRun(CleftRun const& left, Cstring& suspect);

// The start's look at the folder: takes it, or waits for a run that is closing or gone, or
// runs beside a live one keeping nothing (said on stderr and in that run's log). What the
// log of this run should say of it goes into note (the log opens later).
void takeDataFolder(Cstring& note);
// Called every second, and before a save or a change of the options: a run that runs beside
// another takes the folder once it is free; true when it did now.
bool takeDataFolderWhenFree();
// From now on this run no longer takes the folder (its stop would write what waits for
// something it cannot write any more); a new start clears it.
void keepDataFolderHeldElsewhere();
// A run that ends while another keeps the folder leaves what it changed of the settings and
// the registry there for that run, which takes it in at its next save of each (a start that
// takes the folder, before it reads them): said on stderr and in the log, naming that run, or
// that nothing of this run was kept and why (a full disk). True when the registry's changes
// were left, or it had none: what goes with them (the saver defaults) may be written.
bool leaveWhatThisRunChanged();
// What runs that ended beside the one that kept the folder left, taken in by the run that
// now keeps it before it reads the kept files.
void takeInLeftChanges();
// Counts this start of the program in the registry's start counts, once however often its
// engine starts again within it; a run that takes the folder late counts it on top of what
// the other run saved.
void countThisStart();
// How long a start waits for the lock of a run its marker names that is gone (a process
// killed holds its files a moment longer).
constexpr int kGoneRunWaitMs = 3000;
