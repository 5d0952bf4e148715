// The flick model: a fish in an open tank of its own, flicking from a straight start.
#include "flickModel.h"

#include <cmath>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/fish.h"
#include "fishArrays.h"
#include "support/cerr.h"
#include "world/thingServices.h"

// Open water: no walls, no floor, no other fish.
class CflickTank : public CtankServices {
  public:
    CflickTank() {
        setName("flickTank");
        things = addDirectory("thingList", 1);
    }
    ~CflickTank() override { things->deleteChildren(); }
    Cvariable* getThingList() override { return things; }
    void addThingToTankLists(Cthing*) override {}
    int removeThingFromList(Cthing*) override { return 1; }
    void updateFocusThing() override {}
    void recalcTankAspect() override {}
    int avoidanceList(Cthing*, float, Cthing**, float*, int) override { return 0; }

    Cvariable* things = nullptr;
};

namespace {
// A fish that only does what it is told: no goals, no jams, no startles.
class CflickingFish : public Cfish {
  public:
    void contemplateOccasionalActivities() override {}
    void reachedGotoGoal() override {}
    void tightJam() override {}
};

constexpr float kRadiansPerDegree = 0.017453293f;
// Where the fish starts: well away from anything, heading along +z.
Cvector const kStart(0.0f, 50.0f, 0.0f);
} // namespace

CflickModel::CflickModel(std::string const& resourceRoot) {
    savedCwd = std::filesystem::current_path();
    std::error_code ec;
    std::filesystem::current_path(resourceRoot, ec);
    inRoot = !ec; // else the fish would find whatever arrays the old folder holds
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    savedDiskAlways = resourcesDir->checkDiskAlways;
    resourcesDir->checkDiskAlways = 1;
    savedResources = sharedResourceTree;
    sharedResourceTree = &resources;
    tank = new CflickTank;
    root.addVariable(tank, 1);
}

CflickModel::~CflickModel() {
    root.deleteChildren();
    resources.deleteChildren();
    sharedResourceTree = savedResources;
    resourcesDir->checkDiskAlways = savedDiskAlways;
    std::error_code ec;
    std::filesystem::current_path(savedCwd, ec);
}

bool CflickModel::run(float radians, float startSpeed, int steps, FlickStep* out) {
    if (!inRoot || steps < 1 || !std::isfinite(radians) || !std::isfinite(startSpeed)) return false;
    size_t exitsBefore = exitReasonList.size();
    auto* fish = new CflickingFish;
    fish->thingScale = 1.0f;
    fish->setParent(tank->things, 1);
    fish->resetThing(0);
    fish->startPos = kStart;
    fish->startHeading = fish->startPitch = 0.0f;
    fish->initialSpeed = startSpeed;
    fish->setPosition();
    Cvector head = fish->vertex[0];
    Cmatrix3 frame = fish->vertexOrientation[0];
    auto record = [&](int k) {
        Cvector d = fish->vertex[0] - head;
        Cvector f = fish->vertexOrientation[0].forward;
        out[k].side = d.dot(frame.side) / fish->bodyLength;
        out[k].forward = d.dot(frame.forward) / fish->bodyLength;
        out[k].heading = std::atan2(f.dot(frame.side), f.dot(frame.forward));
    };
    record(0);
    // The flick starts as the fish's own choice would: after the frame's preparation, with
    // the end speed capped by the fish, then the frame runs.
    fish->prepForCook();
    fish->_setDesiredBodySpeed(startSpeed + 0.5f);
    bool started = fish->startFlickTurn(radians, 0.0f, startSpeed + 0.5f, 0) == 0;
    for (int k = 1; started && k < steps; k++) {
        if (k > 1) fish->prepForCook();
        fish->goFish(0);
        record(k);
    }
    tank->things->deleteChildren();
    return started && exitReasonList.size() == exitsBefore;
}

bool CflickModel::record(CdataVolume& volume) {
    using namespace fishArrayShape;
    if (!volume.floatData || volume.res[0] != kPathSteps || volume.res[1] != kPathAngles ||
        volume.res[2] != kSpeedSamples || volume.chans != 2)
        return false;
    FlickStep path[kPathSteps];
    for (int z = 0; z < kSpeedSamples; z++)
        for (int y = 0; y < kPathAngles; y++) {
            float degrees = kMaxDegrees * static_cast<float>(y) / (kPathAngles - 1);
            float speed = kMaxSpeed * static_cast<float>(z) / (kSpeedSamples - 1);
            if (!run(degrees * kRadiansPerDegree, speed, kPathSteps, path)) return false;
            for (int x = 0; x < kPathSteps; x++) {
                float* s = volume.floatData + ((z * kPathAngles + y) * kPathSteps + x) * 2;
                s[0] = path[x].side;
                s[1] = path[x].forward;
            }
        }
    return true;
}
