// Counted references to shared data arrays, and the requests that find or load them.
#include "data/dataArrayManager.h"

#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "data/dataArray.h"
#include "data/resourceStreamer.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "variables/variablePaths.h"

Cvariable* sharedResourceTree = nullptr;

int32_t maxTexWidth = 4096;
int32_t maxTexHeight = 4096;
int32_t globalImageSizeReducerX = 1;
int32_t globalImageSizeReducerY = 1;

Cvariable* sharedResourceBase() {
    return sharedResourceTree ? sharedResourceTree : globalVariablesDir;
}

Cstring resourceTreePath(char const* path) {
    std::vector<Cstring> pieces, kept;
    tokenize(pieces, path ? path : "", '/');
    for (Cstring const& piece : pieces) {
        if (piece.empty() || piece == ".") continue;
        // In the tree ".." would be a step up from wherever the lookup stands: resolved here.
        if (piece == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(piece);
    }
    Cstring out;
    for (Cstring const& piece : kept) {
        if (!out.empty()) out += '/';
        out += piece;
    }
    return out;
}

Cstring resourceTreePath(char const* folder, char const* file) {
    return resourceTreePath((Cstring(folder ? folder : "") + "/" + (file ? file : "")).c_str());
}

namespace {

void exitWithFormat(char const* format, char const* a, char const* b = "", char const* c = "") {
    char text[1024];
    std::snprintf(text, sizeof text, format, a ? a : "", b ? b : "", c ? c : "");
    setExitError(text, 1);
}

bool endsWith(Cstring const& text, char const* tail) {
    return std::string_view(text.c_str(), static_cast<size_t>(text.size())).ends_with(tail);
}

// The kind of array that can hold a file: images are two-dimensional, array files say.
CdataArray* newArrayOfDims(int dims) {
    switch (dims) {
    case 1:
        return new CdataChan;
    case 2:
        return new CdataImage;
    case 3:
        return new CdataVolume;
    default:
        return new CdataArray;
    }
}

// Files the new entry at treePath below base: missing folders are made and the entry takes
// the last segment as its name. False (entry untouched) when something already sits there.
bool fileEntry(Cvariable* base, Cstring const& treePath, CdataArrayReference* entry) {
    Cvariable* placeholder = addVariableForcedPath(base, treePath.c_str(), CLASS_DIRECTORY, 0);
    if (!placeholder) return false;
    // Only a fresh plain folder is ours to replace; anything else is a live object.
    if (placeholder->getType() != TYPE_DIRECTORY || placeholder->firstChild) {
        VTRACE(1, "resource path already taken: " << treePath);
        return false;
    }
    Cvariable* folder = placeholder->parent;
    entry->setName(placeholder->name);
    delete placeholder;
    folder->addVariable(entry, 0);
    return true;
}

} // namespace

// ---- the reference ----

CdataArrayReference::~CdataArrayReference() {
    flags |= VAR_TEARING_DOWN;
    unsetRealThing();
    if (ownerSlot && *ownerSlot) *ownerSlot = nullptr;
}

void CdataArrayReference::writeConfigString(std::ostream& out) {
    out << ":dataImage " << name;
}

void CdataArrayReference::writeSaveString(std::ostream& out) {
    out << ":addDataArray " << name << " path=" << path << " pointer=" << static_cast<void const*>(ownerSlot)
        << " this=" << static_cast<void const*>(this) << " refs=";
    if (array) out << array->referenceCount;
}

void CdataArrayReference::writeUnregisteredData(std::ostream&, int) {}

void CdataArrayReference::allocateDataArray(int kindDims) {
    setRealThing(newArrayOfDims(kindDims));
}

void CdataArrayReference::setRealThing(CdataArray* a) {
    // Rebinding the same array must not release it first: that could free it.
    if (a && a == array) return;
    unsetRealThing();
    if (a == nullptr) return;
    a->setParent(this, 0);
    a->flags |= VAR_NOT_DELETED_BY_PARENT | VAR_REFERENCE_COUNTED;
    a->referenceCount++;
    array = a;
}

void CdataArrayReference::unsetRealThing() {
    CdataArray* a = array;
    if (a == nullptr) return;
    array = nullptr;
    a->referenceCount--;
    bool last;
    if (!(a->flags & VAR_TEARING_DOWN))
        last = (a->flags & VAR_REFERENCE_COUNTED) && a->referenceCount == 0;
    else
        last = (flags & VAR_OWNS_STORAGE) != 0;
    if (last) delete a;
}

int CdataArrayReference::requestArray(char const* file, char const* folder) {
    Cstring wanted(file ? file : ""); // file may be our own path
    CdataArray* a = requestDataArrayOrMake(wanted.c_str(), folder, -1, nullptr);
    if (a == nullptr) {
        exitWithFormat("Couldn't find array %s in %s %s", name.c_str(), wanted.c_str(), folder);
        return 1;
    }
    setRealThing(a);
    if (ownerSlot) *ownerSlot = a;
    path = wanted;
    return 0;
}

CdataArrayReference* registerDataArrayPointer(Cvariable* parent, CdataArray** slot, char const* name) {
    auto* ref = new CdataArrayReference;
    ref->setName(name ? name : "");
    ref->ownerSlot = slot;
    ref->setParent(parent, 0);
    if (parent && ref->parent != parent) {
        // Refused (recorded) by the parent: nobody would own it.
        ref->ownerSlot = nullptr;
        delete ref;
        return nullptr;
    }
    return ref;
}

int registerDataArrayAndLoad(Cvariable* parent, CdataArray** slot, char const* name, char const* file,
                             char const* pathInFolder) {
    CdataArrayReference* ref = registerDataArrayPointer(parent, slot, name);
    if (ref == nullptr) return 0;
    Cstring folder(pathInFolder ? pathInFolder : "");
    justPath(folder, -1);
    ref->requestArray(file, folder.c_str());
    return 0;
}

CdataArray* findDataArrayOrExit(Cvariable* parent, char const* path) {
    if (parent == nullptr) return nullptr;
    Cvariable* v = parent->findVariableOrExit(path);
    if (v == nullptr) {
        setExitError("dar not found", 1);
        return nullptr;
    }
    if (v->getType() != TYPE_DATA_ARRAY_REFERENCE) {
        setExitError("bad daf", 1);
        return nullptr;
    }
    return static_cast<CdataArrayReference*>(v)->array;
}

// ---- requests ----

CdataArray* requestDataArrayOrMake(char const* name, char const* folder, short chans,
                                   CdataArrayReference* (*makeEntry)()) {
    Cstring fileName(name ? name : "");
    if (fileName.empty()) return nullptr; // names nothing; "%b/%a" would name the folder itself
    bool isImage = endsWith(fileName, ".sgi") || endsWith(fileName, ".rgb");
    Cstring stem(fileName);
    if (isImage) noSuffix(stem);
    // %a name, %b folder, %c name without suffix; %d the name and %e the name in the
    // folder, as tree paths.
    std::vector<Cstring> names = {fileName, Cstring(folder ? folder : ""), stem,
                                  resourceTreePath(fileName.c_str()),
                                  resourceTreePath(folder, fileName.c_str())};
    std::vector<Cstring> disk, tree;
    auto add = [&](char const* d, char const* t) {
        disk.push_back(Cstring(d));
        tree.push_back(Cstring(t));
    };
    add("%a", "resources/%d");
    if (isImage) {
        add("%c.jpg", "resources/%d");
        add("%c.fti", "resources/%d");
    }
    if (folder) {
        add("%b/%a", "resources/%e");
        if (isImage) {
            add("%b/%c.jpg", "resources/%e");
            add("%b/%c.fti", "resources/%e");
        }
    }

    Cvariable* base = sharedResourceBase();
    Cstring diskPath, treePath;
    Cvariable* found = tryFind(base, names, tree, disk, diskPath, treePath);
    if (found) {
        auto* entry = dynamic_cast<CdataArrayReference*>(found);
        if (entry == nullptr || entry->array == nullptr) {
            VTRACE(1, "not a loaded data array: " << found->getFullPath('/'));
            return nullptr;
        }
        CdataArray* a = entry->array;
        // Four wanted where three exist passes: the fourth is an opaque alpha.
        if (chans != -1 && a->chans < chans && !(chans == 4 && a->chans == 3)) {
            char text[1024];
            std::snprintf(text, sizeof text, "wanted %d chans for %s but this version has %d", chans,
                          fileName.c_str(), a->chans);
            setExitError(text, 1);
        }
        return a;
    }
    if (diskPath.empty()) return nullptr;
    if (base == nullptr) {
        VTRACE(1, "no resource tree to file " << fileName << " in");
        return nullptr;
    }

    CdataArrayReference* entry = makeEntry ? makeEntry() : new CdataArrayReference;
    if (isImage && (endsWith(diskPath, "jpg") || endsWith(diskPath, "fti"))) {
        // Load by the requested kind so that the colour-plus-alpha rules apply.
        diskPath = diskPath.substr(0, diskPath.size() - 3) + (endsWith(fileName, ".sgi") ? "sgi" : "rgb");
    }
    entry->allocateDataArray(isImageFileName(diskPath) ? 2 : dataArrayFileDims(diskPath.c_str()));
    if (loadDataArrayWrapper(entry->array, diskPath, chans) != 0 || !fileEntry(base, treePath, entry)) {
        VTRACE(1, "couldn't load array " << diskPath);
        delete entry;
        return nullptr;
    }
    Cstring diskFolder(diskPath);
    justPath(diskFolder, -1);
    entry->setDiskPath(diskFolder);
    return entry->array;
}

CdataArray* requestDataArray(char const* name, char const* folder, int chans) {
    return requestDataArrayOrMake(name, folder, static_cast<short>(chans), nullptr);
}
