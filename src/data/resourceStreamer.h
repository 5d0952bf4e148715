// Resource packages and resource lookup.
//
// A package is one file holding many resource files: a binary variable tree ("DBT") as
// its index, then the files' bytes. The streamer keeps the merged index of up to ten
// packages, each open on its own stream slot, and serves a file by its path out of a
// package or, where the caller allows it, from disk.
#pragma once

#include <cstdint>
#include <fstream>
#include <vector>

#include "support/mystring.h"
#include "variables/variable.h"

class CmemoryChunkVar;
class CresourceFileVar;

constexpr int kResourceSlots = 10;

class CresourceStreamer : public CdirectoryVar {
  public:
    CresourceStreamer();

    // Adds one package. 0 on success, 1 when its index cannot be read or is malformed
    // (no "channel", a slot outside 0-9, an entry outside the file) or its slot is taken.
    int addResource(char const* path);
    // Opens in on the file and positions it at the file's first byte; size (when given)
    // receives the file's size. 1 when opened, 0 when not found.
    int openFile(char const* path, std::ifstream& in, int* size);
    // Reads the whole file into chunk. 1 when it holds the file, 0 when not found.
    int loadFile(char const* path, CmemoryChunkVar& chunk);
    void setExtraFileLoadMemoryAlloc(int n) { extraFileLoadMemoryAlloc = static_cast<int16_t>(n); }
    // The package entry at path, or null.
    CresourceFileVar* findEntry(char const* path);

    Cstring resourceFileNames[kResourceSlots];
    std::ifstream resourceStreams[kResourceSlots];
    uint16_t numResourceFiles = 0;
    int16_t extraFileLoadMemoryAlloc = 0; // zero bytes after the next packaged loadFile
    uint16_t checkDiskOnce = 0;           // the next openFile/loadFile may read from disk
    uint16_t checkDiskAlways = 0;         // every openFile/loadFile may read from disk
    uint8_t lastFoundInPackage = 0;       // the last openFile/loadFile was served by a package

  private:
    int readIndex(char const* path, Cvariable* into, int& slot);
    void mergeIndex(Cvariable* index);
};

// Reads a package's index (the package is packageSize bytes, in at its start) into `into`
// and takes its "channel" out as the slot. 0 on success; 1 when the index is unusable (no
// "channel", a slot outside 0-9, an entry outside the package).
int readPackageIndex(std::istream& in, long packageSize, Cvariable* into, int& slot);

// The one streamer; made at start-up, or by the script loader on first use.
extern CresourceStreamer* resourcesDir;

// Index of the first pattern (expanded with names: "%a" names[0], "%b" names[1]...) that
// names a packaged file or a file on disk; -1 when none does.
int findDiskFile(std::vector<Cstring>& names, std::vector<Cstring>& patterns);
// A loaded object below treeBase named by the first matching tree pattern (its
// "instances" count, if any, goes up by one); otherwise null, with diskPath and treePath
// set from the first disk pattern naming a file (diskPath empty when none does). The two
// pattern lists are parallel.
Cvariable* tryFind(Cvariable* treeBase, std::vector<Cstring>& names, std::vector<Cstring>& treePatterns,
                   std::vector<Cstring>& diskPatterns, Cstring& diskPath, Cstring& treePath);
// Traversal callback: appends variable to the std::vector<Cvariable*> at list.
void addVariableToList_callback(void* list, Cvariable* variable);
