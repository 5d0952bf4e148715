// Model and font requests.
#include "data/aquaResource.h"

#include <vector>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "support/engineHooks.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "support/resourceCopy.h"
#include "variables/variablePaths.h"

CmanagedResourceVar* requestGeo2(char const* name, char const* folder) {
    // %a name, %b folder; %c the name and %d the name in the folder, as tree paths.
    std::vector<Cstring> names = {Cstring(name ? name : ""), Cstring(folder ? folder : ""),
                                  resourceTreePath(name), resourceTreePath(folder, name)};
    std::vector<Cstring> tree = {Cstring("speciesScripts/%c")};
    std::vector<Cstring> disk = {Cstring("%a")};
    if (folder) {
        tree.push_back(Cstring("resources/%d"));
        disk.push_back(Cstring("%b/%a"));
    }
    Cvariable* base = sharedResourceBase();
    Cstring diskPath, treePath;
    if (Cvariable* found = tryFind(base, names, tree, disk, diskPath, treePath)) {
        if (!found->instanceManaged()) {
            VTRACE(1, "not a model: " << found->getFullPath('/'));
            return nullptr;
        }
        auto* model = static_cast<CmanagedResourceVar*>(found);
        // A model that shows its count as "instances" was counted by tryFind already.
        Cvariable* instances = model->getChild("instances", 0);
        if (instances == nullptr || !instances->hasFlag(VAR_HAS_NUMBER)) model->useCount++;
        model->flags |= VAR_NOT_DELETED_BY_PARENT;
        return model;
    }
    if (diskPath.empty() || base == nullptr) return nullptr;
    VTRACE(2, "success: should make it " << treePath << " returnDiskPath=" << diskPath);
    CmanagedResourceVar* model = nullptr;
    // A model of the resource copy that cannot be read is copied again and read once more.
    loadRenewingCopy([&] {
        model = engineHooks.modelLoader ? engineHooks.modelLoader(diskPath) : nullptr;
        return model != nullptr;
    });
    if (model == nullptr) {
        // Not filed: the next request tries the file again instead of sharing a dud.
        VTRACE(2, "couldn't open geo! " << diskPath);
        return nullptr;
    }
    if (addVariableForcedPath(base, treePath.c_str(), model, 0) != model) {
        // Something else sits at that path; the new model was freed with the refusal.
        VTRACE(1, "couldn't file geo at " << treePath);
        return nullptr;
    }
    Cstring modelFolder(diskPath);
    justPath(modelFolder, -1);
    model->setDiskPath(modelFolder);
    model->useCount = 1;
    // A shared model dies with its last holder, not with the tree it is filed in: the
    // tree only unhooks it.
    model->flags |= VAR_NOT_DELETED_BY_PARENT;
    return model;
}

CfishFont* requestFont(Cstring name) {
    CfishFont* font = nullptr;
    loadRenewingCopy([&] {
        font = engineHooks.fontLoader ? engineHooks.fontLoader(name.c_str()) : nullptr;
        return font != nullptr;
    });
    if (font == nullptr) setExitError("Couldn't load font", 1);
    return font;
}
