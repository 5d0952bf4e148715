// Calls from a lower layer up into a higher one, all in one place.
//
// A lower folder never includes a higher one; where it must reach up it calls a slot of
// engineHooks. The program's wiring fills every slot whose owner is built before anything
// starts, and the start stops on a slot left empty; an empty slot means its owner is not
// part of the program, and the caller does without.
#pragma once

#include "support/hookTable.h"

class Cstring;
class Cvariable;
class CdataArray;
class CmanagedResourceVar;
class CfishFont;

struct CengineHooks {
    // -- owned by the world
    // Enters a run phase ("closing" when an exit reason is recorded).
    void (*enterRunPhase)(char const* phase, bool writeMarker) = nullptr;
    // Told when a rotater command changes its master setting.
    void (*rotaterSettingChanged)(Cvariable* master) = nullptr;
    // Frees the globals just before "exit0" ends the process.
    void (*freeGlobals)() = nullptr;
    // Puts the installed resources back after a syntax error in a resource script.
    void (*restoreResourceTree)() = nullptr;
    // A run that runs beside another takes the data folder once that one has ended (before
    // a save); true when it did now.
    bool (*takeDataFolderWhenFree)() = nullptr;

    // -- owned by the web requests (world, installWebRequests)
    // Requests the path from the server and runs the reply as a script; see
    // MakeHTTPrequestAndRunScript. Empty: no request can be made (the caller fails).
    int (*makeHTTPrequestAndRunScript)(Cstring const& path, bool verbalise, int type,
                                       char const* extra) = nullptr;
    // Starts a request whose reply the frame poll runs; see startHTTPrequestThread.
    int (*startHTTPrequestThread)(Cstring const& path, bool verbalise, int type, char const* extra) = nullptr;
    // Downloads url into file through the update master (an update package is installed).
    void (*startFileDownload)(char const* url, char const* file, bool showProgress) = nullptr;
    // Asks the server whether an update exists; its reply script decides what follows.
    void (*checkForUpdate)() = nullptr;

    // -- owned by the host's view
    // An update package was installed: the running program shows that it must be restarted.
    void (*updateInstalled)() = nullptr;
    // Lines of a kept file that is now set aside ran in the engine: it saves nothing more and
    // begins again without them. False when no engine runs (nothing of the file is in one).
    bool (*beginEngineWithoutFile)(char const* path) = nullptr;

    // -- owned by the options sheet
    // Shows a line of progress or trouble on the sheet's message line, when it has one.
    void (*sheetMessage)(char const* text) = nullptr;
    // Closes the options sheet when it is open.
    void (*endConfigureSheet)() = nullptr;

    // -- owned by the script runner
    // Runs an object's "delete" child as a script in the object's context before it dies.
    void (*deleteScriptRunner)(Cvariable* script, Cvariable* context) = nullptr;

    // -- owned by the graphics
    // Makes a model and loads the model file into it; null when it does not load.
    CmanagedResourceVar* (*modelLoader)(Cstring const& diskPath) = nullptr;

    // -- owned by the interface
    // Makes a font and loads the font of that name; null when it does not load.
    CfishFont* (*fontLoader)(char const* name) = nullptr;
    // Shows the password pane in place of a web page when a shop is open; true when shown.
    bool (*showPasswordPane)() = nullptr;
};

extern CengineHooks engineHooks;

// The table's description for the start-up check.
ChookTable engineHookTable();
