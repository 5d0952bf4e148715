// The render pass on a device that records its draws (no GL): the transparent chain's
// batching and two displays.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "support/cerr.h"

namespace {

// Draws a group only while its pass bit is set and clears it, as the real device does.
class CrecordingDevice : public CgraphicsAPI {
  public:
    int geoToDisplay(CrenderPolyGroup* g) override {
        if (g && (g->passBits & displayBit))
            g->passBits = uint8_t(g->passBits & ~displayBit), drawn.push_back(g);
        return 0;
    }
    void drawFlatStuff(Clist<CrenderPolyGroup*>& list) override { flat += list.count; }
    std::vector<CrenderPolyGroup*> drawn;
    int flat = 0;
};

// A transparent group: object (0 or 1), material, cell masks, where it lies.
struct GroupCase {
    int object;
    uint16_t material;
    uint64_t x, y;
    int place = 0; // 0 inside the view, 1 outside, 2 outside but always drawn
};

struct Fake {
    CtankRenderLists lists;
    int updates = 0;
} * fake;

class RenderPass : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        fake = &tank, saved = graphicsHooks;
        graphicsHooks = CgraphicsHooks{}; // the tank is a stand-in: no slot reaches the tank layer
        graphicsHooks.tankRenderLists = [](Ctank*) { return &fake->lists; };
        graphicsHooks.updateTankForFrame = [](Ctank*) {
            fake->updates++, fake->lists.lastUpdateFrame = masterFrame;
        };
        for (int i = 0; i < 2; i++)
            dev[i].setDisplayIndex(i), dev[i].cellRect = Crect(0, 30, 0, 30),
                                       dev[i].tank = reinterpret_cast<Ctank*>(&tank);
        for (auto* l : {&tank.lists.opaqueList, &tank.lists.transparentList})
            l->setSize(40, nullptr), l->count = 0;
        tank.lists.transparentOrder.setSize(40, nullptr);
    }
    void TearDown() override { graphicsHooks = saved, resetExitState(); }
    // The list in reverse gathering order, so the pass must follow transparentOrder.
    std::vector<int> draw(std::vector<GroupCase> const& specs) {
        groups.assign(specs.size(), CrenderPolyGroup{});
        int n = int(specs.size());
        for (int j = 0; j < n; j++) {
            GroupCase const& s = specs[size_t(j)];
            CrenderPolyGroup& g = groups[size_t(j)];
            g.owner = &objects[s.object], g.materialNumber = s.material, g.passBits = 255;
            g.xCellMask = s.x, g.yCellMask = s.y, g.definition = s.place == 2 ? &always : nullptr;
            g.screenMin = Cvector(s.place ? 31.0f : 0.0f, 0, 0), g.screenMax = Cvector(40, 5, 0);
            for (int k = j; k < n; k++)
                if (specs[size_t(k)].material == s.material) g.lastSameMaterial = &groups[size_t(k)];
            tank.lists.transparentList[n - 1 - j] = &g, tank.lists.transparentOrder[j] = n - 1 - j;
        }
        tank.lists.transparentList.count = n;
        dev[0].drawn.clear();
        EXPECT_EQ(dev[0].RenderFraction(3.0f), 0);
        std::vector<int> order;
        for (CrenderPolyGroup* g : dev[0].drawn)
            order.push_back(int(g - groups.data()));
        return order;
    }

    CgraphicsHooks saved;
    Fake tank;
    CrecordingDevice dev[2];
    CworkObject objects[2];
    CpolyGroupDefinition always;
    std::vector<CrenderPolyGroup> groups;
};

std::vector<GroupCase> fill(std::vector<GroupCase> head, int fillers, GroupCase tail) {
    for (int i = 0; i < fillers; i++)
        head.push_back({1, uint16_t(100 + i), uint64_t(1) << (40 + i), 1});
    head.push_back(tail);
    return head;
}

TEST_F(RenderPass, TransparentChainBatchesLikeMaterialsWhereNothingBetweenCoversThem) {
    always.skipPOVtest = 1;
    struct Case {
        char const* what;
        std::vector<GroupCase> specs;
        std::vector<int> order;
    } const cases[] = {
        {"apart", {{0, 1, 1, 1}, {1, 2, 4, 4}, {1, 1, 2, 1}}, {0, 2, 1}},
        {"between shares columns only", {{0, 1, 1, 1}, {1, 2, 2, 4}, {1, 1, 2, 1}}, {0, 2, 1}},
        {"between shares rows only", {{0, 1, 1, 1}, {1, 2, 4, 1}, {1, 1, 2, 1}}, {0, 2, 1}},
        {"between covers it", {{0, 1, 1, 1}, {1, 2, 2, 1}, {1, 1, 2, 1}}, {0, 1, 2}},
        {"one material, each once", {{0, 1, 1, 1}, {1, 1, 1, 1}, {0, 1, 1, 1}}, {0, 1, 2}},
        {"same object first", {{0, 1, 1, 1}, {1, 1, 2, 2}, {0, 1, 4, 4}, {1, 3, 8, 8}}, {0, 2, 1, 3}},
        {"material looks 11 ahead",
         fill({{0, 1, 1, 1}}, 10, {1, 1, 2, 2}),
         {0, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"material gives up",
         fill({{0, 1, 1, 1}}, 11, {1, 1, 2, 2}),
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"object looks 7 ahead",
         fill({{0, 1, 1, 1}, {1, 1, 2, 2}}, 5, {0, 1, 4, 4}),
         {0, 7, 1, 2, 3, 4, 5, 6}},
        {"object gives up", fill({{0, 1, 1, 1}, {1, 1, 2, 2}}, 6, {0, 1, 4, 4}), {0, 1, 8, 2, 3, 4, 5, 6, 7}},
        {"outside but always drawn", {{0, 1, 1, 1, 1}, {1, 2, 1, 1, 2}}, {1}},
    };
    for (Case const& c : cases)
        EXPECT_EQ(draw(c.specs), c.order) << c.what;
    EXPECT_TRUE(draw({{0, 1, 1, 1, 1}}).empty());
    EXPECT_EQ(dev[0].rpgLinks.elements[0].group, nullptr); // the empty chain's one link
    CrpgLink a{nullptr, 1, 1}, b{nullptr, 2, 1}, c{nullptr, 2, 3};
    a.next = &b, b.next = &c;
    EXPECT_EQ(CgraphicsAPI::passesObscuringTest(&c, &c) + CgraphicsAPI::passesObscuringTest(&a, &b), 2);
    EXPECT_EQ(CgraphicsAPI::passesObscuringTest(&a, &c), 0); // b covers c in both masks
    dev[0].drawAll = 1;
    EXPECT_EQ(draw({{0, 1, 1, 1, 1}}), std::vector<int>{0});
}

// The interface panel and a missing tank are checked through the tank's own hooks in its render tests.
TEST_F(RenderPass, TwoDisplaysUpdateOncePerMasterFrame) {
    tank.lists.tankDisplays = {&dev[0], &dev[1]};
    CrenderPolyGroup hidden, shown;
    hidden.screenMin.x = 31, hidden.passBits = shown.passBits = 255;
    tank.lists.opaqueList.add(&hidden), tank.lists.opaqueList.add(&shown);
    for (int frame = 1; frame <= 3; frame++) {
        masterFrame = 100 + frame;
        dev[0].RenderFraction(0), dev[1].RenderFraction(0);
        EXPECT_EQ(tank.updates, frame);
        EXPECT_EQ(shown.passBits, 0xFC); // drawn once on each display
        shown.passBits = 255;
    }
    EXPECT_EQ(dev[0].drawn, std::vector<CrenderPolyGroup*>(3, &shown));
    EXPECT_EQ(dev[1].framesRendered, 3);
}

// A paused tank keeps its master frame and is not updated again, so its lists stand: every
// refresh still draws them on each display (a pause once showed an empty tank).
TEST_F(RenderPass, ListsThatStandAreDrawnAgainEveryRefresh) {
    tank.lists.tankDisplays = {&dev[0], &dev[1]};
    CrenderPolyGroup shown;
    shown.passBits = 255;
    tank.lists.opaqueList.add(&shown);
    masterFrame = 500;
    for (int refresh = 1; refresh <= 3; refresh++) {
        dev[0].RenderFraction(0), dev[1].RenderFraction(0);
        EXPECT_EQ(tank.updates, 1);
        EXPECT_EQ(dev[0].drawn.size(), size_t(refresh));
        EXPECT_EQ(dev[1].drawn.size(), size_t(refresh));
    }
}

} // namespace
