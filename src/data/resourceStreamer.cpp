// Resource packages: reading and checking package indexes, serving packaged files.
#include "data/resourceStreamer.h"

#include <cstring>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "variables/variablePaths.h"
#include "variables/variableLinks.h"
#include "variables/variableSaverLoader.h"

CresourceStreamer* resourcesDir = nullptr;

CresourceStreamer::CresourceStreamer() {
    setName("res");
}

void addVariableToList_callback(void* list, Cvariable* variable) {
    static_cast<std::vector<Cvariable*>*>(list)->push_back(variable);
}

namespace {

// Path of node below root joined by "/", or false when node is no longer below root.
bool pathBelow(Cvariable* root, Cvariable* node, Cstring& path) {
    Cstring result = node->name;
    for (Cvariable* p = node->parent; p != root; p = p->parent) {
        if (p == nullptr) return false;
        result = p->name + "/" + result;
    }
    path = result;
    return true;
}

// Every packaged file of the index must come from this package's slot and lie inside it.
bool entriesInside(Cvariable* index, int slot, long packageSize) {
    std::vector<Cvariable*> nodes;
    if (index->firstChild)
        index->firstChild->traverseAndCallback(&nodes, addVariableToList_callback, CLASS_RESOURCE_FILE);
    for (Cvariable* v : nodes) {
        CresourceFileVar* entry = static_cast<CresourceFileVar*>(v);
        // The accessors read three 4-byte elements unchecked; a file could declare fewer.
        if (entry->elements() < 3 || entry->elementSize != 4 || entry->storage == nullptr) return false;
        long offset = entry->getFileOffset();
        long size = entry->getFileSize();
        if (entry->getFileStream() != slot || offset < 0 || offset > packageSize ||
            size > packageSize - offset) {
            VTRACE(1, "resource entry " << entry->name << " lies outside its package");
            return false;
        }
    }
    return true;
}

} // namespace

int CresourceStreamer::readIndex(char const* path, Cvariable* into, int& slot) {
    std::ifstream in;
    long packageSize = getDiskFileSize(path);
    if (packageSize < 4 || !file_open(in, path, 0)) {
        VTRACE(1, "couldn't find resource " << path);
        return 1;
    }
    int result = readPackageIndex(in, packageSize, into, slot);
    file_close(in);
    if (result) VTRACE(1, "couldn't find resource " << path);
    return result;
}

int readPackageIndex(std::istream& in, long packageSize, Cvariable* into, int& slot) {
    char magic[4] = {0, 0, 0, 0};
    in.read(magic, 4);
    bool good = in.gcount() == 4 && std::memcmp(magic, "DBT", 3) == 0;
    if (good) {
        // The payload follows the index, so the reader stops at a byte that separates
        // nothing; only a stream that ran out means the index itself is cut short.
        good = readBinaryVariable(in, into) == 0 || !in.fail();
    }
    Cvariable* channel = good ? into->getChild("channel", 0) : nullptr;
    if (!channel || !channel->hasFlag(VAR_HAS_NUMBER)) {
        VTRACE(1, "package index: " << (good ? "no channel" : "unreadable"));
        return 1;
    }
    slot = channel->getElem_int(0);
    channel->unhook();
    delete channel;
    if (slot < 0 || slot >= kResourceSlots || !entriesInside(into, slot, packageSize)) {
        VTRACE(1, "package index: bad index");
        return 1;
    }
    return 0;
}

int CresourceStreamer::addResource(char const* path) {
    if (path == nullptr) return 1;
    Cvariable index;
    int slot = -1;
    if (readIndex(path, &index, slot)) return 1;
    if (resourceStreams[slot].is_open()) {
        // Another package holds the slot: this one is refused, the program goes on.
        VTRACE(1, "resource stream " << slot << " already open: " << path << " not added");
        return 1;
    }
    // Open before the entries join the index, so a package that cannot be read serves nothing.
    if (!file_open(resourceStreams[slot], path, 0)) {
        Cstring reason = Cstring("Couldn't open resource file ") + path;
        setExitError(reason.c_str(), 1);
        return 1;
    }
    if (numResourceFiles == 0 && firstChild == nullptr) {
        index.moveChildListToNewParent(this);
    } else {
        mergeIndex(&index);
    }
    resourceFileNames[slot] = path;
    numResourceFiles++;
    return 0;
}

// Moves each entry of a later package into the merged index unless an earlier package
// already serves that path.
void CresourceStreamer::mergeIndex(Cvariable* index) {
    std::vector<Cvariable*> nodes;
    index->traverseAndCallback(&nodes, addVariableToList_callback, -1);
    for (size_t k = 1; k < nodes.size(); k++) {
        Cvariable* node = nodes[k];
        Cstring path;
        if (node->getClass() != CLASS_RESOURCE_FILE || !pathBelow(index, node, path)) continue;
        if (findVariable(path.c_str())) {
            VTRACE(2, path << " already exists!");
            continue;
        }
        node->unhook();
        addVariableForcedPath(this, path.c_str(), node, 0);
    }
}

CresourceFileVar* CresourceStreamer::findEntry(char const* path) {
    if (firstChild == nullptr || path == nullptr) return nullptr;
    Cvariable* v = firstChild->findVariable(path);
    if (v == nullptr || v->getClass() != CLASS_RESOURCE_FILE) return nullptr;
    CresourceFileVar* entry = static_cast<CresourceFileVar*>(v);
    int slot = entry->getFileStream();
    if (slot >= kResourceSlots || resourceFileNames[slot].empty()) return nullptr;
    return entry;
}

int CresourceStreamer::openFile(char const* path, std::ifstream& in, int* size) {
    bool mayUseDisk = checkDiskOnce || checkDiskAlways;
    checkDiskOnce = 0;
    lastFoundInPackage = 0;
    if (in.is_open()) in.close();
    in.clear();
    if (CresourceFileVar* entry = findEntry(path)) {
        if (file_open(in, resourceFileNames[entry->getFileStream()].c_str(), 0)) {
            in.seekg(entry->getFileOffset());
            if (size) *size = entry->getFileSize();
            lastFoundInPackage = 1;
            return 1;
        }
    } else if (mayUseDisk && path && file_open(in, path, 0)) {
        if (size) {
            in.seekg(0, std::ios::end);
            *size = static_cast<int>(in.tellg());
            in.seekg(0, std::ios::beg);
        }
        return 1;
    }
    VTRACE(2, "couldn't find file: " << (path ? path : ""));
    return 0;
}

int CresourceStreamer::loadFile(char const* path, CmemoryChunkVar& chunk) {
    bool mayUseDisk = checkDiskOnce || checkDiskAlways;
    int extra = extraFileLoadMemoryAlloc > 0 ? extraFileLoadMemoryAlloc : 0;
    extraFileLoadMemoryAlloc = 0;
    checkDiskOnce = 0;
    lastFoundInPackage = 0;
    if (CresourceFileVar* entry = findEntry(path)) {
        std::istream& in = resourceStreams[entry->getFileStream()];
        unsigned size = static_cast<unsigned>(entry->getFileSize());
        in.clear();
        in.seekg(entry->getFileOffset());
        unsigned char* data = static_cast<unsigned char*>(chunk.allocMem(size + extra));
        if (extra) std::memset(data + size, 0, extra);
        if (size) in.read(reinterpret_cast<char*>(data), size);
        if (in.good() && static_cast<unsigned>(in.gcount()) == size) {
            lastFoundInPackage = 1;
            return 1;
        }
        VTRACE(1, "couldn't read " << path << " from its package");
        in.clear();
        chunk.clearPointer();
        return 0;
    }
    if (mayUseDisk && path && chunk.loadFromFile(path) >= 0) return 1;
    VTRACE(2, "NOT FOUND " << (path ? path : ""));
    return 0;
}
