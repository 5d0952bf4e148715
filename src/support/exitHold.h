// Holding exit reasons back: while a hold exists, setExit and setExitError only trace
// their reason and count it in the innermost hold, so optional work that fails (a viewer's
// food drop) does not stop the run. exit0 still ends the process. Holds live on the stack
// and nest.
#pragma once

#include "support/mystring.h"

class CexitHold {
  public:
    CexitHold();
    ~CexitHold();
    CexitHold(CexitHold const&) = delete;
    CexitHold& operator=(CexitHold const&) = delete;

    int held = 0;      // reasons held since the hold began
    Cstring firstHeld; // the first of them

  private:
    CexitHold* outer;
};

// True (traced and counted) when a hold takes the reason instead of the run.
bool exitReasonHeld(char const* reason);
