// Loading and sharing models.
#include "graphics/texturedGeo.h"

#include "data/aquaResource.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "variables/multiLink.h"

CtexturedGeo::CtexturedGeo() {
    registerFloat(diffuseMultiply, "diffuseMultiply", 0);
    // The resource requests count users through this variable.
    registerInt(reinterpret_cast<int&>(useCount), "instances", 0);
}

CtexturedGeo::~CtexturedGeo() {
    VTRACE(1, "~TEXGEO " << name);
    // A shared buffer may outlive the model on its device: it must not clear a slot here.
    for (ClinkedResourceNode* b : sharedStaticBuffers)
        if (b) b->zeroAllPointersToZero();
    freePolyGroups();
}

void CtexturedGeo::freePolyGroups() {
    for (CpolyGroupDefinition* d : definitions)
        delete d;
    definitions.clear();
    for (CpolyGroupSet* s : polyGroupSets)
        delete s;
    polyGroupSets.clear();
}

int CtexturedGeo::badModel(char const* what, long index) {
    Cstring reason = Cstring("bad model ") + name + ": " + what;
    if (index >= 0) reason += Cstring(static_cast<int>(index));
    setExitError(reason.c_str(), 1);
    return 1;
}

void CtexturedGeo::writeConfigString(std::ostream& out) {
    out << ":addGeo " << name.c_str();
}

void CtexturedGeo::writeSaveString(std::ostream& out) {
    out << ":geo " << name.c_str();
}

namespace {

// Reads a binary tree model into geo: its "points" and "prims" replace the geometry's.
// 0 read; 1 when the file is not a binary tree or is malformed (geo untouched).
int loadTreeModel(CgeoNew& geo, char const* path) {
    std::ifstream in;
    if (!file_open(in, path, 0)) return 1;
    CdirectoryVar staging;
    int result = staging.loadBinaryChildren(in);
    file_close(in);
    if (result != 0) return 1;
    geo.deleteGeoDirectories();
    while (Cvariable* c = staging.firstChild) {
        c->unhook();
        if (c->name == "points" || c->name == "prims")
            geo.addVariable(c, 1);
        else
            delete c; // the model's own variables are not taken from the file
    }
    return 0;
}

} // namespace

int CtexturedGeo::loadTexturedGeo(char const* path) {
    bool loaded = loadTreeModel(*this, path) == 0 || loadOldFormat(path) == 0;
    if (loaded && initializeUsingContents() != 0) loaded = false;
    if (!loaded) {
        VTRACE(1, "couldn't load geo");
        recommendReinstall = 1;
        deleteGeoDirectories();
        createMainDirectories();
        return 1;
    }
    CmaterialOwner::specOffset = CgeoNew::specOffset; // materials read it as the model's
    VTRACE(2, "CtexturedGeo:: loaded geo " << path);
    buildQuickMatrixLookups();
    return 0;
}

CmanagedResourceVar* loadTexturedGeoModel(Cstring const& diskPath) {
    auto* geo = new CtexturedGeo();
    Cstring fileName(diskPath);
    noPath(fileName);
    geo->setName(fileName);
    if (geo->loadTexturedGeo(diskPath.c_str()) != 0) {
        VTRACE(2, "returned 1");
        delete geo;
        return nullptr;
    }
    return geo;
}

void installModelLoader() {
    engineHooks.modelLoader = loadTexturedGeoModel;
}
