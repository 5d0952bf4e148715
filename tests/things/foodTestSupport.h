// Food in a test tank: a tank that keeps a food list, a chosen water push and the food
// eaters' messages, and a swallower whose calls are recorded.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "thingTestSupport.h"
#include "things/floatingFood.h"
#include "things/food.h"

class FoodTank : public TestTank {
  public:
    std::vector<Cvariable*> const* foodThings() override { return &foods; }
    void addFoodToList(Cvariable* f) override {
        if (std::find(foods.begin(), foods.end(), f) == foods.end()) foods.push_back(f);
    }
    void removeFood(Cvariable* f) override { std::erase(foods, f); }
    bool waterPushAt(float x, float y, float& px, float& py) override {
        px = py = 0.0f;
        if (!push) return false;
        push(x, y, px, py);
        return true;
    }
    void instantMessageToAllFoodEaters(int code, Cvariable*, int index, int) override {
        messages.push_back({code, index});
    }
    std::vector<Cvariable*> foods;
    std::function<void(float, float, float&, float&)> push;
    std::vector<std::pair<int, int>> messages; // code, particle index
    CframeSources* frameSources() override { return level ? &sources : nullptr; }
    // The level set everywhere, when set (null: the tank has none).
    struct Level : CframeSources {
        float value = 10.0f;
        float sphereLevelSet(Cvector const&) override { return value; }
    } sources;
    bool level = false;
};

// A thing that swallows: its mouth points are fields and its calls a journal.
class TestSwallower : public Cthing, public CfoodSwallower {
  public:
    TestSwallower() { setName("swallower"); }
    Cthing& swallowerThing() override { return *this; }
    Cvector* mouthStart() override { return &mouth[0]; }
    Cvector* mouthEnd() override { return &mouth[1]; }
    void ateFood(float amount) override { journal.push_back("ate " + std::to_string(amount)); }
    void startFeeding(CfoodItem* item) override { journal.push_back(item ? "feed item" : "feed none"); }
    int lookForSomethingToEat() override { return journal.push_back("look"), 0; }
    Cvector mouth[2];
    std::vector<std::string> journal;
};

// A relationship partner that records what it is told.
class Watcher : public CsafeRelationship {
  public:
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override {
        told.push_back(nature);
        (void)partner, (void)mine;
    }
    std::vector<short> told;
};

class FoodTest : public ThingTest {
  protected:
    FoodTest() {
        food.set("tankScale", 1.0);
        food.set("forgetAboutFoodBelowHeight", 0.0);
        food.set("minimumGroundHeight", -1.0);
    }
    ~FoodTest() override {
        while (Cvariable* thing = food.thingList->firstChild)
            deleteVariable(thing);
        emptyTrash();
    }
    // Floating food of n particles in the food tank, set up with the fall rate given.
    CfloatingFood* floating(int n, float fallRate = 0.0045f) {
        auto* f = new CfloatingFood;
        f->fallRate = fallRate;
        f->species = &newSpecies(n);
        f->setToTank(&food);
        record(*f);
        EXPECT_EQ(f->resetThing(0), 0);
        f->doExtraInit();
        return f;
    }
    FoodTank food;
};
