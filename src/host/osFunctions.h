// Platform services the engine calls (Linux).
//
// Folders follow the XDG rules: the data folder is $VELMORA_DATA_DIR, else
// $XDG_DATA_HOME/velmora/, else ~/.local/share/velmora/. The install folder is
// $VELMORA_INSTALL_DIR, else the resource folder the build put in place.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

extern uint8_t skipNSAlert;       // while set, OS::ShowMessage shows nothing and answers 1000
extern uint8_t alertIsBeingShown; // 1 while an alert or the progress panel is up

// Opens the master log "<data folder>masterout.txt" (truncated) unless it is open.
// 0 on success or when already open, 1 on failure.
int openMasterOut();

namespace OS {

// The platform's seedable generator: seed = seed * 8253729 + 2396403; result seed % 32767.
int _rand();
void _srand(unsigned int seed);
void timeRandomizeSrand();

// Shows a message. With no window system the text goes to stderr and the master log and
// the answer is the next scripted one, else defaultMessageAnswer. 1000 while alerts are off.
// "|" separates the message's tokens: text, informative text, then up to four buttons.
int ShowMessage(char const* message, char const* title, int style);
extern int defaultMessageAnswer;
// Answers for the next ShowMessage calls, used in order (tests script dialogs with it).
void scriptMessageAnswers(std::vector<int> const& answers);

// Finds the install folder: sets `folder` (and installDir, macContentsDir) to the first
// candidate holding "defaults.txt" and returns 0; empties it and returns 1 when none does.
int getInstallDir(Cstring& folder);
// The data folder the rules above give, ending in "/".
Cstring defaultAppDataDir();

void closeDetailLogging();
void SetPriority(int priority);

} // namespace OS
