// Where the running script came from.
//
// A script that arrived over the network (a web reply beginning with "SCRIPT") is not
// trusted like the scripts of the resource tree: while one runs, file commands may only
// write inside the data folder "[APD]", shell commands are refused and so is every command
// that would end the process at once ("exit0", the shop's "doCheck"). The confinement
// lasts for everything the network script runs, stored scripts included.
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

// True when path, with its keywords expanded, names the data folder or something inside
// it: it must begin with the (known, absolute) data folder, hold no ".." piece, and no
// link along it (existing now) may lead out of the data folder or nowhere.
bool pathInsideDataFolder(char const* path);

// True for an address of a web page ("http://" or "https://"), which is all a network
// script may open in the browser.
bool webPageAddress(char const* address);

// True when the running script may write, rename or delete path: always for trusted
// scripts, only inside the data folder for network ones. A refusal is traced.
bool scriptMayTouchFile(char const* path);
