// Which run keeps the data folder, and what a run that ended uncleanly leaves the next.
//
// One run at a time keeps the data folder: an advisory lock on the folder, held for the run.
// A run that finds it held runs beside the other and keeps nothing, and takes the folder as
// soon as it is free (every second, and before each save): from then on it keeps what its
// viewer does, writing the kept files as the other run left them with only its own changes
// put in (support/keptText.h). A folder that cannot be locked (its file system has no locks,
// it cannot be opened) is told apart by the run marker alone: the process it names, alive or
// gone.
//
// The marker a run left behind tells the next start what to mend before anything runs:
// an own script file the run ended in while it ran it is set aside; after two starts in a row
// that ended before their first frame, every own script file the second one ran is set aside
// too (the copy was made again after the first, so what is left is the user's data); the
// files of the copy whose scripts ran after the first frame are copied again where they
// differ; a start that ended before its first frame has the whole copy made again.
#pragma once

#include <vector>

#include "support/mystring.h"

struct CleftRun {
    bool present = false;
    Cstring phase;
    Cstring identity;           // the process it names ("" for a marker of an older build)
    bool retry = false;         // its start followed one that ended before its first frame
    std::vector<Cstring> ended; // own script files it began to run and did not finish
    std::vector<Cstring> read;  // own script files it ran in its start
    std::vector<Cstring> ran;   // files of the copy whose scripts ran after its first frame
};

// The marker at path as text; another run's too, but only the run that keeps the folder
// (keeping) sets aside what stands in its place.
CleftRun readLeftRun(char const* path, bool keeping = false);
// The marker names a process that still runs, other than this one.
bool leftRunAlive(CleftRun const& left);
// Acts on a marker a run left behind (see above); true when that run ended before its first
// frame: the caller has the copy made again before any of it runs.
bool settleLeftRun(CleftRun const& left);

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
// How long a start waits for the lock of a run its marker names that is gone (a process
// killed holds its files a moment longer).
constexpr int kGoneRunWaitMs = 3000;
