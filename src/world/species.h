// Species: the shared description that the things of one kind are made from.
//
// A species script sets tuning values and names the models and data arrays; the models are
// loaded once and shared by every member. Loaded species sit in the shop keeper's tree at
// the path of their script folder ("speciesScripts/..."), where later requests find them.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/cloth.h"
#include "script/chanController.h"
#include "support/mystring.h"
#include "variables/variableLinks.h"
#include "world/tankFrameSources.h"
#include "world/thingServices.h"

class CgeoNew;
class CtexturedGeo;
class CdataArray;

class Cspecies : public CspeciesServices, public CclothControllerSource {
  public:
    Cspecies();
    ~Cspecies() override;
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    // "XYZ_SHORT" 1, "BRIGHTNESS_TO_W" 2, "TEX2_SHORT" 4 (0 returned); 1 for other names.
    int getLocalConstant(Cstring name, double& value) override;
    // Does nothing; 0.
    virtual int classInitialization() { return 0; }

    // Reads and runs the species file and prepares its models; the species joins the
    // tree at base/scriptFolder. 0 loaded, 1 failed (an exit reason is recorded).
    int loadSpecies(Cvariable* base, Cstring const& filePath, Cstring const& scriptFolder);
    // Runs the skeleton's per-point "misc_cmd" texts. 0 done, 1 on a malformed command
    // (recorded).
    int readMiscCommandsFromGeo();
    // Renumbers the skeleton's matrices by its "assignAsMat" values. 0 done, 1 refused.
    int optimizeMatrices();
    // A "finLift", "finWag" or "caudalWag" controller under name, sized for count cells;
    // other types make nothing (null).
    CchanController* addController(Cstring const& name, Cstring const& type, short count);
    // The controller of that name, or null.
    CchanController* getChanController(char const* name);
    CchanController* findChanController(char const* name) override { return getChanController(name); }
    // Position of the model's cloth piece of that name, -1 when there is none.
    int getClothIndex(char const* name);
    // A new, unplaced member (see thingFactory.h); null for an unknown class keyword.
    Cvariable* createNewMemberOfThisSpecies();

    // ---- what the members use
    void unrequestSpecies() override;
    CtexturedGeo* modelGeometry() override { return model(); }
    CgeoNew* skeletonModel() override { return skeletonGeo(); }

    // The members' model and the skeleton model, or null.
    CtexturedGeo* model();
    CgeoNew* skeletonGeo();
    CframeSources* frameSources() override { return &frameSourceAdapter; }

    int32_t membersMade = -1;
    int32_t thingKind = -1;
    float causticPointNoiseSpeed[2] = {0.005f, 0.0f};
    char speciesCode[3] = {0, 0, 0};
    short instances = 0;
    short specID = -1;
    Cstring speciesClass; // "class"
    int32_t maxPerTank = 1;
    int32_t doBlending = 1;
    int32_t pushUVinsteadOfPosition = -1;
    Cstring maxInstanceMsg;
    float avgSchoolFrames = 100.0f;
    float schoolNoiseSpacing = 0.3f;
    float avgChaseFrames = 400.0f;
    float pushNoiseSpeed = 0.02f;
    float tailWagAmp = 1.0f;
    float schoolSync[4] = {0.5f, 0.5f, 1.0f, 5.0f};
    int32_t apiFormat = 0;
    // Shared models, held as the resources the script's ":addGeo" fills.
    CmanagedResourceVar* geo_hi = nullptr;
    CmanagedResourceVar* skeleton = nullptr;
    CmanagedResourceVar* light_points = nullptr;
    CdataArray* colorNoiseImage = nullptr;
    CdataArray* pushNoiseChan = nullptr;
    CdirectoryVar controllers;
    CspeciesFrameSources frameSourceAdapter{*this};

  private:
    int runMiscCommand(std::vector<Cstring> const& tokens);
};

// Where species live: the shop keeper, or the node tests give. Null: nothing loads.
extern Cvariable* speciesTreeBase;
// The species of that name, loaded on first request and counted afterwards; folder (may
// be null) is one more place to look. Null when no species file exists or it failed to
// load (the failed species leaves the tree).
Cspecies* requestSpecies2(char const* name, char const* folder);
// Gives one request back (null ignored).
void unrequestSpecies(Cspecies* species);
// A member of the species named name, numbered and with its geometry; null when the
// species cannot be had or the member cannot be made.
Cvariable* makeThing(Cstring const& speciesName, char const* folder);
