// A tank with plain test things whose positions, boxes, food and messages are fields.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "data/dataArray.h"
#include "data/resourceStreamer.h"
#include "graphics/graphicsMaster.h"
#include "script/proximityVar.h"
#include "script/rotaterVar.h"
#include "support/cerr.h"
#include "quietThingAccess.h"
#include "testSupport.h"
#include "variables/thingMessage.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tankLive.h"
#include "world/thingFactory.h"

class ClivingThing : public CsafeRelationship, public CproximityParty, public CthingMessageOwner {
  public:
    Cvector proximityPosition() override { return mid; }
    float proximityScale() override { return 1.0f; }
    Cvariable* proximityDirectory() override { return this; }
    void processMessage(CthingMessage* m) override { received.push_back(m->code); }
    bool deletionHasBegun() const override { return deleting; }
    Cstring messageOwnerName() const override { return name; }
    uint32_t attributes = 0;
    Cvector mid, swim;
    Cvector head, tail; // the drawn body's ends; head == tail: none
    int capacity = 0, updates = 0, updateResult = 0;
    std::vector<int> particleBatches, received;
    bool deleting = false;
    Cspecies* species = nullptr;
    Ctank* tank = nullptr;
    Cvector lastDrop;                // where the last particles were freed
    CworkObject* geometry = nullptr; // not owned
    std::vector<int> shakes;         // the shaker's button states, 1 down
};

inline ClivingThing* living(Cvariable* v) {
    return dynamic_cast<ClivingThing*>(v);
}

class CnodeAccess : public CquietThingAccess {
  public:
    uint32_t attributes(Cvariable* t) override { return living(t) ? living(t)->attributes : 0; }
    Cspecies* speciesOf(Cvariable* t) override { return living(t) ? living(t)->species : nullptr; }
    void setToTank(Cvariable* t, Ctank* tank) override {
        living(t)->tank = tank;
        if (tank) tank->thingList->addVariable(t, 1), tank->addNodeToTankLists(t);
    }
    CproximityParty* proximityParty(Cvariable* t) override { return living(t); }
    CworkObject* workObjectOf(Cvariable* t) override { return living(t) ? living(t)->geometry : nullptr; }
    void shakerButtonState(Cvariable* t, bool down) override {
        if (living(t)) living(t)->shakes.push_back(down ? 1 : 0);
    }
};

class ClivingAccess : public CtankLiveAccess {
  public:
    Ctank* tankOf(Cvariable* t) override { return living(t)->tank; }
    int updateThing(Cvariable* t, int, float) override {
        return ++living(t)->updates, living(t)->updateResult;
    }
    bool isBeingDeleted(Cvariable* t) override { return living(t)->deleting; }
    bool getMidPos(Cvariable* t, Cvector& out) override { return out = living(t)->mid, true; }
    bool pickBody(Cvariable* t, Cvector& head, Cvector& tail, float& radius) override {
        head = living(t)->head, tail = living(t)->tail, radius = 0;
        return (head - tail).lengthSquared() > 0.0f;
    }
    bool swimPush(Cvariable* t, CswimPush& p) override {
        return p.position = living(t)->mid, p.vx = living(t)->swim.x, p.vy = living(t)->swim.y, p.scale = 1,
               true;
    }
    int freeFoodCapacity(Cvariable* t) override { return living(t)->capacity; }
    void addFreeParticles(Cvariable* t, Cvector const& at, int n) override {
        living(t)->particleBatches.push_back(n), living(t)->capacity -= n, living(t)->lastDrop = at;
    }
};

class LiveTankTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &root;
        tankThingAccess = &nodes;
        previousLive = tankLiveAccess;
        tankLiveAccess = &live;
        setThingSpecies = [](Cvariable* t, Cspecies* s, uint8_t) { living(t)->species = s; };
        // The test food kind: floating food with room for 30 particles.
        registerThingMaker("food_floating", [] {
            auto* t = new ClivingThing;
            t->attributes = ATTR_FOOD, t->capacity = 30;
            return static_cast<Cvariable*>(t);
        });
        std::filesystem::create_directories("species/food");
        std::ofstream("species/food/food.spec") << ":set class food_floating\n";
        shop = new CshopKeeper();
        shop->autoFeedSeconds = 0;
        makeTank();
        enableAnim = 1;
        proximityThingList.assign(8, nullptr);
        proximityDistList.assign(8, 0.0f);
    }
    void makeTank() {
        root.deleteChildren();
        tank = new Ctank(shop);
        tank->name = "tank3";
        root.addVariable(tank, 1);
        tank->runState = 1;
    }
    void TearDown() override {
        root.deleteChildren();
        delete shop;
        registerThingMaker("food_floating", nullptr);
        speciesTreeBase = nullptr;
        if (resourcesDir) resourcesDir->checkDiskAlways = 0;
        tankThingAccess = nullptr;
        tankLiveAccess = previousLive;
        setThingSpecies = nullptr;
        enableAnim = 1;
        std::filesystem::current_path(savedCwd);
        resetExitState();
    }
    ClivingThing* add(uint32_t attributes, Cvector mid) {
        auto* t = new ClivingThing;
        t->attributes = attributes, t->mid = mid;
        nodes.setToTank(t, tank);
        return t;
    }
    bool exitRecorded(char const* reason) { return std::strstr(exitMsg.c_str(), reason) != nullptr; }
    TempDir dir;
    std::filesystem::path savedCwd;
    CdirectoryVar root;
    CnodeAccess nodes;
    ClivingAccess live;
    CtankLiveAccess* previousLive = nullptr;
    CshopKeeper* shop = nullptr;
    Ctank* tank = nullptr;
};

// A pressed pointer on the display that moved from one pixel to another.
inline CtouchPointer pressedPointer(Cvector2 from, Cvector2 to, CgraphicsAPI* on) {
    CtouchPointer p;
    p.display = on;
    p.previous = from;
    p.current = to;
    p.setMouseButtonState(1);
    return p;
}

// A tank with its wide camera 7 and a follow camera 2, and two 200 x 100 displays side by
// side (none attached yet); the left one takes the pointer.
class ViewTankTest : public LiveTankTest {
  protected:
    void SetUp() override {
        LiveTankTest::SetUp();
        list = new CrotaterVar;
        list->name = "cameraRotate";
        tank->addVariable(list, 1);
        addCamera(7, {"wide"}, {0, 3, 6.4f, 0, 0, -1, 45, 1, 0});
        addCamera(2, {"follow"}, {6, 3, 5, 0, 0, -1, 40, 0, 2});
        for (CgraphicsAPI* d : {&left, &right})
            d->width = 200, d->height = 100;
        left.appliedWindowRect = Crect(0, 200, 0, 100);
        right.appliedWindowRect = Crect(200, 400, 0, 100);
        tankInput = CtankInputState();
        tankInput.interfaceDisplay = &left;
    }
    void TearDown() override {
        tank->tankDisplays.clear();
        tankInput = CtankInputState();
        LiveTankTest::TearDown();
    }
    CarrayVar* addCamera(float number, std::vector<char const*> names, std::vector<float> values) {
        auto* a = new CarrayVar;
        a->name = "cam";
        a->addFloat(number);
        for (char const* n : names)
            a->addString(n);
        for (float v : values)
            a->addFloat(v);
        list->addVariable(a, 1);
        return a;
    }
    // The displays attached, a camera chosen and stepped once.
    void showOn(std::vector<CgraphicsAPI*> displays) {
        tank->tankDisplays = displays;
        tank->rebuildAllViewsRect();
        tank->updateCamera();
    }
    // A new thing with its middle under pixel (x, y) of the left display at depth z, its
    // body reaching 10 pixels to the lower left and the upper right.
    ClivingThing* fishAt(float x, float y, float z = 0, uint32_t attributes = ATTR_PICKABLE) {
        ClivingThing* f = add(attributes, tank->screenPixelToTankSpace(&left, x, y, z));
        f->tail = tank->screenPixelToTankSpace(&left, x - 10, y - 10, z);
        f->head = tank->screenPixelToTankSpace(&left, x + 10, y + 10, z);
        return f;
    }
    CrotaterVar* list = nullptr;
    CgraphicsAPI left, right;
};
