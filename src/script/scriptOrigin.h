// Where the running script came from, and what any script may reach.
//
// Every script, whatever its origin, writes, renames and deletes files only inside the data
// folder "[APD]", runs no shell command and opens only web pages: any of them may have come
// from the network through the data folder (a reply may write "msg.txt" or the resource
// copy there, or set the variable a stored script lives in).
//
// A script that arrived over the network (a web reply beginning with "SCRIPT", or a script
// file of the data folder that the network may have written) is also refused every command
// that would end the process at once ("exit0", the shop's "doCheck"). That lasts for
// everything the network script runs, stored scripts included.
#pragma once

// Number of network-origin runs in progress.
extern int networkScriptDepth;

inline bool runningNetworkScript() {
    return networkScriptDepth > 0;
}

// Marks the runs made during its life as network-origin.
class CnetworkScriptScope {
  public:
    CnetworkScriptScope() { networkScriptDepth++; }
    ~CnetworkScriptScope() { networkScriptDepth--; }
    CnetworkScriptScope(CnetworkScriptScope const&) = delete;
    CnetworkScriptScope& operator=(CnetworkScriptScope const&) = delete;
};

// Why the line running now may not end the process at once (":exit0", ":doCheck"), or null
// when it may: a script that arrived over the network, or a line of a file the data folder
// keeps outside the resource copy (the settings, the registry: data the program wrote, which
// never holds such a line; one planted there would end every start).
char const* processEndRefusal();
// Refuses command (":exit0", ":doCheck") for the reason processEndRefusal gave: an exit
// error names both. A line of a kept file running outside the reading of it (a script it
// stored, run later) sets the file aside here: no later start runs it again.
void refuseProcessEnd(char const* command, char const* refusal);

// True when path, with its keywords expanded, names the data folder or something inside
// it: it must begin with the (known, absolute) data folder, hold no ".." piece, and no
// link along it (existing now) may lead out of the data folder or nowhere.
bool pathInsideDataFolder(char const* path);

// True for an address of a web page ("http://" or "https://"), which is all a script may
// open in the browser.
bool webPageAddress(char const* address);

// True when a script may write, rename or delete path: only inside the data folder. A
// refusal is traced and logged.
bool scriptMayTouchFile(char const* path);
