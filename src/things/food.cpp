// The food base: the particles, the food list and the teardown.
#include "things/food.h"

#include <string>

#include "support/cerr.h"
#include "things/foodBeingSwallowedAnimCycle.h"
#include "world/thingServices.h"

Cfood::Cfood() {
    foodItems = addDirectory("foodItems");
}

Cfood::~Cfood() {
    // A food deleted without the tree's teardown still leaves its tank's food list.
    Cfood::prepareForDelete();
    tearDownFood();
}

int Cfood::doExtraInit() {
    if (tank) tank->addFoodToList(this);
    dependentListName = "floating food";
    return 0;
}

void Cfood::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    flags |= VAR_TEARING_DOWN;
    tearDownFood();
    if (tank) {
        tank->removeFood(this);
    } else {
        // A food the tank refused (its cap) never joined the food list: nothing is wrong.
        VTRACE(1, "food removed with no tank");
    }
    Cthing::prepareForDelete();
}

void Cfood::tearDownFood() {
    clearAnimCycles();
    items.clear();
    particleCount = 0;
    if (foodItems) {
        CdirectoryVar* dir = foodItems;
        foodItems = nullptr;
        deleteVariable(dir);
    }
}

void Cfood::particleNotFinishedSwallowing(CfoodItem* item) {
    if (item == nullptr) return;
    item->available = 1;
    if (CfoodBeingSwallowedAnimCycle* cycle = item->swallowCycle) {
        // The particle goes on from where it was last drawn.
        cycle->leaveParticleWhereDrawn();
        item->swallowCycle = nullptr;
        removeAnimCycle(cycle);
    }
}

Cvector Cfood::getParticlePos(int index) {
    if (index < 0 || index >= static_cast<int>(items.size())) return Cvector();
    return items[static_cast<size_t>(index)]->position;
}

void Cfood::adoptParticle(CfoodItem* item, char const* prefix, int index) {
    item->setName((std::string(prefix) + std::to_string(index)).c_str());
    item->food = this;
    item->index = index;
    foodItems->addVariable(item);
    items.push_back(item);
}
