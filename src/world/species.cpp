// Species: loading, sharing, the skeleton's per-point commands and matrix renumbering.
#include "world/species.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "graphics/rigFromGeo.h"
#include "graphics/texturedGeo.h"
#include "script/keptScriptFile.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "variables/variablePaths.h"
#include "world/velmoraFunctions.h"
#include "world/shopKeeper.h"
#include "graphics/graphicsMaster.h"
#include <algorithm>
#include <cstdlib>

namespace {
Cstring lastComponent(Cstring const& path) {
    std::string text(path.c_str());
    size_t slash = text.find_last_of('/');
    return Cstring(slash == std::string::npos ? text.c_str() : text.c_str() + slash + 1);
}

std::vector<Cstring> splitBlanks(char const* text) {
    std::vector<Cstring> tokens;
    std::string current;
    for (char const* c = text; *c; c++) {
        if (*c == ' ' || *c == '\t' || *c == '\n' || *c == '\r') {
            if (!current.empty()) tokens.emplace_back(current.c_str());
            current.clear();
        } else {
            current.push_back(*c);
        }
    }
    if (!current.empty()) tokens.emplace_back(current.c_str());
    return tokens;
}

// Each point's value at offset becomes table[value] when the value indexes the table.
void remapPoints(CgeoNew& geo, int offset, std::vector<short> const& table) {
    if (geo.pointData() == nullptr || offset < 0 || offset >= geo.floatsPerPoint) return;
    for (int i = 0; i < geo.numPoints; i++) {
        float* value = geo.pointRecord(i) + offset;
        if (*value >= 0.0f && *value < static_cast<float>(table.size()))
            *value = table[static_cast<size_t>(*value)];
    }
}

int refuse(char const* format, char const* what) {
    char text[512];
    std::snprintf(text, sizeof text, format, what);
    setExitError(text, 1);
    return 1;
}
} // namespace

Cspecies::Cspecies() {
    controllers.setName("controllers");
    registerFloat(causticPointNoiseSpeed[0], "causticPointNoiseSpeed", 0)->setNumElements(2);
    registerShort(instances, "instances", 0);
    registerShort(specID, "specID", 0);
    registerString(speciesClass, "class", 0);
    registerInt(maxPerTank, "maxPerTank", 0);
    registerInt(doBlending, "doBlending", 0);
    registerInt(pushUVinsteadOfPosition, "pushUVinsteadOfPosition", 0);
    registerString(maxInstanceMsg, "maxInstanceMsg", 0);
    registerFloat(avgSchoolFrames, "avgSchoolFrames", 0);
    registerFloat(schoolNoiseSpacing, "schoolNoiseSpacing", 0);
    registerFloat(avgChaseFrames, "avgChaseFrames", 0);
    registerFloat(pushNoiseSpeed, "pushNoiseSpeed", 0);
    registerFloat(tailWagAmp, "tailWagAmp", 0);
    registerFloat(schoolSync[0], "schoolSync", 0)->setNumElements(4);
    registerInt(apiFormat, "apiFormat", 0);
    registerResourcePointer(this, &geo_hi, "geo_hi");
    registerResourcePointer(this, &skeleton, "skeleton");
    registerResourcePointer(this, &light_points, "light_points");
    registerDataArrayPointer(this, &colorNoiseImage, "colorNoiseImage");
    registerDataArrayPointer(this, &pushNoiseChan, "pushNoiseChan");
}

Cspecies::~Cspecies() {
    VTRACE(2, "DELETING SPECIES " << name << " instance: " << instances);
    VTRACE(2, "END DELETE SPECIES");
}

void Cspecies::writeConfigString(std::ostream& out) {
    out << ":addSpecies? " << name.c_str();
}

void Cspecies::writeSaveString(std::ostream& out) {
    out << ":species " << name.c_str();
}

int Cspecies::getLocalConstant(Cstring constant, double& value) {
    static struct {
        char const* name;
        double value;
    } const constants[] = {{"XYZ_SHORT", 1}, {"BRIGHTNESS_TO_W", 2}, {"TEX2_SHORT", 4}};
    for (auto const& c : constants) {
        if (constant == c.name) {
            value = c.value;
            return 0;
        }
    }
    return 1;
}

CtexturedGeo* Cspecies::model() {
    return dynamic_cast<CtexturedGeo*>(geo_hi);
}

CgeoNew* Cspecies::skeletonGeo() {
    return dynamic_cast<CgeoNew*>(skeleton);
}

int Cspecies::loadSpecies(Cvariable* base, Cstring const& filePath, Cstring const& scriptFolder) {
    setName(lastComponent(scriptFolder));
    Cstring folder(filePath);
    justPath(folder, -1);
    setDiskPath(folder);

    // The script folder's node is made as a placeholder and the species takes its place.
    Cvariable* placeholder =
        base ? addVariableForcedPath(base, scriptFolder.c_str(), CLASS_DIRECTORY, 0) : nullptr;
    Cvariable* home = placeholder ? placeholder->parent : nullptr;
    if (home == nullptr) return refuse("couldn't open species %s", filePath.c_str());
    deleteVariable(placeholder);
    home->addVariable(this, 0);
    if (Cvariable* disk = addVariableX("diskPath", CLASS_STRING, 0)) disk->setString(folder.c_str());

    CscriptVar script;
    if (script.processDiskScript(filePath.c_str()) != 0) {
        doNotSendReport = 1;
        recommendReinstall = 1;
        return refuse("couldn't open species %s", filePath.c_str());
    }
    if (scriptFailed(runScript(this, &script)) || exitSaver || erroredExit) {
        // A species of the resource copy that the install folder cannot give file by file
        // (the copy of another version): the next start takes a whole one.
        if (pathInResourceCopy(filePath.c_str()) && installedResource(filePath.c_str()).empty())
            askForResourceCopyBack();
        return refuse("failed loading species %s", filePath.c_str());
    }

    if (CtexturedGeo* geo = model()) {
        if (skeletonGeo() && (readMiscCommandsFromGeo() != 0 || optimizeMatrices() != 0)) return 1;
        geo->species = this;
        if (geo->getMaterialsAndBuildPolyLists(this, folder) != 0) return 1;
        if (geo->initGeometrySpecialProcessingTables() != 0) return 1;
        if (geo->cloth.clothPieces.empty() && buildModelCloth(*geo, this) != 0) return 1;
    }
    if (speciesClass == "fish") {
        speciesCode[0] = name.c_str()[0];
        speciesCode[1] = speciesCode[0] ? name.c_str()[1] : 0;
        speciesCode[2] = 0;
    }
    return 0;
}

int Cspecies::readMiscCommandsFromGeo() {
    CgeoNew* geo = skeletonGeo();
    if (geo == nullptr || geo->findAttrib("misc_cmd", 0) < 0) return 0;
    std::vector<Cstring> texts;
    if (!geo->getPointStrings("misc_cmd", texts)) return 0;
    for (Cstring const& text : texts) {
        std::vector<Cstring> tokens = splitBlanks(text.c_str());
        if (!tokens.empty() && runMiscCommand(tokens) != 0) return 1;
    }
    return 0;
}

int Cspecies::runMiscCommand(std::vector<Cstring> const& tokens) {
    Cstring const& command = tokens[0];
    size_t count = tokens.size();
    if (command == "-cc") {
        if (count != 4) return refuse("bad skeleton command %s", command.c_str());
        long cells = std::strtol(tokens[3].c_str(), nullptr, 10);
        addController(tokens[1], tokens[2], static_cast<short>(cells));
        return 0;
    }
    if (command == "-mkFlt") {
        if (count < 3) return refuse("bad skeleton command %s", command.c_str());
        auto* values = new CfloatLinkVar;
        values->setName(tokens[1]);
        values->allocElements(static_cast<int>(count - 2), sizeof(float));
        addVariable(values, 0);
        for (size_t i = 2; i < count; i++)
            values->setElem_float(static_cast<unsigned short>(i - 2), std::atof(tokens[i].c_str()));
        return 0;
    }
    if (command == "-setFlt") {
        if (count != 3) return refuse("bad skeleton command %s", command.c_str());
        if (Cvariable* target = getChild(tokens[1].c_str()))
            target->setElem_float(0, std::atof(tokens[2].c_str()));
        return 0;
    }
    if (command == "-fillSubChan") {
        if (count < 4) return refuse("bad skeleton command %s", command.c_str());
        CchanController* controller = getChanController(tokens[1].c_str());
        if (controller == nullptr) return refuse("%s", "cfcc");
        Cchan* chan = controller->getSubController(tokens[2].c_str());
        if (chan == nullptr) return refuse("%s", "cfsc");
        chan->fillUsingValuesFromStringArray(tokens, 3);
        return 0;
    }
    return refuse("%s", "rmcfg");
}

int Cspecies::optimizeMatrices() {
    CgeoNew* geo = skeletonGeo();
    if (geo == nullptr) return 0;
    int offset = geo->findAttrib("assignAsMat", 0);
    if (offset < 0) return 0;
    if (!requireInterleaved(*geo, true)) return 1;
    // A point count is a short: a model past 32,767 points never loads, so none reaches here.
    float* data = geo->pointData();
    if (data == nullptr) return 0;
    int highest = 0;
    for (int i = 0; i < geo->numPoints; i++) {
        float value = geo->pointRecord(i)[offset];
        // Negative, huge or not-a-number values cannot index the table.
        if (!(value >= 0.0f && value < 32768.0f)) return refuse("%s", "bad assignAsMat");
        highest = std::max(highest, static_cast<int>(value));
    }
    std::vector<short> table(static_cast<size_t>(highest) + 1, -10);
    for (int i = 0; i < geo->numPoints; i++) {
        float* value = geo->pointRecord(i) + offset;
        table[static_cast<size_t>(*value)] = static_cast<short>(i);
        *value = static_cast<float>(i);
    }
    int mat = geo->findAttrib("mat", 0);
    if (mat >= 0) {
        remapPoints(*geo, mat, table);
        remapPoints(*geo, mat + 1, table);
    } else if (int parent = geo->findAttrib("parentMat", 0); parent >= 0) {
        remapPoints(*geo, parent, table);
    }
    if (CtexturedGeo* shown = model(); shown && (mat = shown->findAttrib("mat", 0)) >= 0) {
        shown->remapAttrib(mat, table);
        shown->remapAttrib(mat + 1, table);
    }
    return 0;
}

CchanController* Cspecies::addController(Cstring const& controllerName, Cstring const& type, short count) {
    CchanController* controller = nullptr;
    if (type == "finLift")
        controller = new CfinLiftController;
    else if (type == "finWag")
        controller = new CfinWagController;
    else if (type == "caudalWag")
        controller = new CcaudalWagController;
    if (controller == nullptr) return nullptr;
    controller->setName(controllerName);
    controllers.addVariable(controller, 1);
    controller->initialize(count);
    return controller;
}

CchanController* Cspecies::getChanController(char const* controllerName) {
    for (Cvariable* c = controllers.firstChild; c; c = c->nextSibling)
        if (c->name == controllerName) return dynamic_cast<CchanController*>(c);
    return nullptr;
}

int Cspecies::getClothIndex(char const* pieceName) {
    CtexturedGeo* geo = model();
    if (geo == nullptr) return -1;
    return static_cast<int8_t>(geo->cloth.getClothIndex(pieceName));
}

void Cspecies::unrequestSpecies() {
    instances = static_cast<short>(instances - 1);
}

Cvariable* speciesTreeBase = nullptr;

Cspecies* requestSpecies2(char const* speciesName, char const* folder) {
    Cvariable* base = speciesTreeBase ? speciesTreeBase : static_cast<Cvariable*>(shopKeeper);
    if (base == nullptr || speciesName == nullptr) return nullptr;
    Cstring full(speciesName);
    std::vector<Cstring> names = {full, lastComponent(full), Cstring(folder ? folder : "")};
    std::vector<Cstring> disk = {Cstring("%a/%b.spec"), Cstring("species/%b/%b.spec")};
    std::vector<Cstring> tree = {Cstring("speciesScripts/%a"), Cstring("speciesScripts/species/%b")};
    if (folder) {
        disk.emplace_back("%c%b/%b.spec");
        tree.emplace_back("speciesScripts/%c%b");
    }
    Cstring diskPath, treePath;
    if (Cvariable* found = tryFind(base, names, tree, disk, diskPath, treePath)) {
        // Something else may sit at a species' path: it is not a species to share.
        auto* species = dynamic_cast<Cspecies*>(found);
        if (species == nullptr) VTRACE(1, "not a species: " << found->getFullPath('/'));
        return species;
    }
    if (diskPath.empty()) return nullptr;
    // A species that failed to load is not kept for later requests.
    Cspecies* species = nullptr;
    auto discard = [&species] {
        if (species && species->parent)
            deleteVariable(species);
        else
            delete species;
        species = nullptr;
    };
    // Files of the resource copy that fail, even while the species' script runs, are copied
    // again and the species is made anew from them.
    int16_t errorBefore = scriptError;
    bool loaded = loadRenewingCopy([&] {
        discard();
        scriptError = errorBefore;
        species = new Cspecies;
        return species->loadSpecies(base, diskPath, treePath) == 0;
    });
    if (!loaded) {
        discard();
        refuse("couldn't open species %s", speciesName);
        return nullptr;
    }
    species->instances = 1;
    return species;
}

void unrequestSpecies(Cspecies* species) {
    if (species) species->unrequestSpecies();
}
