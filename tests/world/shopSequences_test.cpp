#include "shopTankTestSupport.h"

#include "graphics/graphicsGL.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

namespace {

using Sequences = TankShop;

TEST_F(Sequences, SpanMarksResolveToOneDisplaysTank) {
    struct Case {
        std::vector<int16_t> marks;
        std::vector<int> shownEntry;
    } cases[] = {{{0, 0, 0}, {0, 1, 2}},   {{0, 1, 1}, {0, 0, 0}},  {{-1, -1, 0}, {2, 2, 2}},
                 {{-1, 0, 1}, {1, 1, 1}},  {{0, -1, 0}, {0, 2, 2}}, {{1, 1, 1}, {0, 0, 0}},
                 {{-1, -1, -1}, {2, 2, 2}}};
    startShop();
    for (char c : {'a', 'b', 'c'})
        addScreen(c, float(c) * 100);
    shop->checkForDisplayChanges();
    std::vector<int> ids;
    for (int d = 0; d < 3; d++)
        ids.push_back(shown(d)->id);
    ASSERT_EQ(ids, (std::vector<int>{0, 1, 2})); // fresh ids, kept in the sequence
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.marks[0] << " " << c.marks[1] << " " << c.marks[2]);
        for (int d = 0; d < 3; d++)
            shop->sequenceHolder[d].xt = c.marks[d];
        shop->displaySequence(0);
        for (int d = 0; d < 3; d++)
            EXPECT_EQ(shown(d)->id, ids[c.shownEntry[d]]) << "display " << d;
    }
    EXPECT_EQ(shop->sequences->countChildren(), 1); // no tank was made for a span
}

TEST_F(Sequences, MonitorSpanCommandsTieNeighboursAndIgnoreTheEdges) {
    startShop();
    addScreen('a', 0);
    addScreen('b', 100);
    shop->checkForDisplayChanges();
    struct Case {
        char const* command;
        int result;
        int16_t xt0, xt1;
    } cases[] = {{"xl", 1, 0, 0}, {"xr", 0, 0, 1}, {"xr", 0, 0, 1}, {"msoff", 0, 0, 0}, {"junk", 0, 0, 0}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(shop->monitorSpanCommand(c.command), c.result);
        EXPECT_EQ(shop->sequenceHolder[0].xt, c.xt0);
        EXPECT_EQ(shop->sequenceHolder[1].xt, c.xt1);
        EXPECT_EQ(shown(1) == shown(0), c.xt1 == 1);
    }
    shop->setGUItoAPI(nullptr);
    EXPECT_EQ(shop->monitorSpanCommand("xr"), 1);
    EXPECT_EQ(shop->sequenceHolder[1].xt, 0);
}

TEST_F(Sequences, RelativeStepsWrapOnceAndSlideAgainstTheStep) {
    struct Case {
        short displayed, step, numSequences, allow;
        short target;
        float slide;
    } cases[] = {{2, 1, 3, 1, 0, -2.0f}, {2, -3, 3, 1, 2, 6.0f}, {0, -1, 3, 1, 2, 2.0f},
                 {1, 1, 3, 0, -1, 0.0f}, {0, 1, 1, 1, -1, 0.0f}};
    startShop();
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.displayed << " + " << c.step);
        shop->displayedSequence = c.displayed;
        shop->numSequences = c.numSequences;
        shop->allowSeqChng = c.allow;
        shop->nextSequenceIndex = -1;
        shop->fadePosition = shop->fadeSpeed = 0;
        slideAmplitude = 0;
        shop->nextSequence(c.step, true, 1.0f, 2.0f);
        EXPECT_EQ(shop->nextSequenceIndex, c.target);
        EXPECT_FLOAT_EQ(slideAmplitude, c.slide);
    }
}

// Steps the transition n frames of 1/64 s; the masterMult after each.
std::vector<float> fade(CshopKeeper& shop, int n) {
    globalSecondsSinceLastFrame = 1.0f / 64;
    std::vector<float> mults;
    for (int i = 0; i < n; i++) {
        shop.transitionHandler();
        mults.push_back(masterMult);
    }
    return mults;
}

TEST_F(Sequences, AFadeGoesOutSwitchesAtDarknessAndComesBackIn) {
    startShop();
    addScreen('a', 0);
    shop->fillSequenceHolder(1); // two sequences
    shop->fadePosition = shop->fadeSpeed = 0;
    shop->nextSequence(1, false, 0.5f, 1.0f);
    std::vector<float> mults = fade(*shop, 32);
    EXPECT_FLOAT_EQ(mults[15], 0.5f);
    EXPECT_FLOAT_EQ(mults[31], 0.0f);
    EXPECT_EQ(shop->displayedSequence, 0); // dark, not yet switched
    fade(*shop, 1);
    EXPECT_EQ(shop->displayedSequence, 1);
    EXPECT_FALSE(shop->sequenceIsTransitioning());
    EXPECT_FLOAT_EQ(slideAmplitude, -1.0f); // back in from the other side
    EXPECT_FLOAT_EQ(shop->fadeSpeed, -0.5f);
    mults = fade(*shop, 34);
    EXPECT_FLOAT_EQ(mults[16], 0.5f);
    EXPECT_FLOAT_EQ(mults[33], 1.0f);
    EXPECT_EQ(shop->fadeSpeed, 0.0f);
    EXPECT_EQ(shop->fadePosition, 0.0f);
}

TEST_F(Sequences, InstantAndDegenerateTransitions) {
    startShop();
    addScreen('a', 0);
    shop->fillSequenceHolder(1);
    // No fades: the switch comes on the second frame and leaves the picture clear.
    shop->seqTransType = 0;
    shop->fadePosition = shop->fadeSpeed = 0;
    shop->nextSequence(1, false, 3.0f, 0.0f);
    EXPECT_FLOAT_EQ(shop->fadeSpeed, 0.0001f);
    fade(*shop, 1);
    EXPECT_EQ(shop->displayedSequence, 0);
    EXPECT_EQ(fade(*shop, 1), std::vector<float>{1.0f});
    EXPECT_EQ(shop->displayedSequence, 1);
    EXPECT_EQ(shop->fadePosition, 0.0f);
    // Fading in at full darkness with a target pending: the target shows, the fade goes on.
    shop->seqTransType = 1;
    shop->fadePosition = 1.0f;
    shop->fadeSpeed = -0.5f;
    shop->nextSequenceIndex = 0;
    fade(*shop, 1);
    EXPECT_EQ(shop->displayedSequence, 0);
    EXPECT_FLOAT_EQ(shop->fadeSpeed, -0.5f);
    EXPECT_LT(shop->fadePosition, 1.0f);
}

TEST_F(Sequences, AReversedFadeLetsTheRotationGoOn) {
    startShop();
    addScreen('a', 0, 100);
    shop->fillSequenceHolder(1);
    shop->checkForDisplayChanges();
    shop->fadePosition = shop->fadeSpeed = 0;
    shop->nextSequence(1, false, 0.5f, 0.0f);
    fade(*shop, 8);
    shop->nextSequence(0, false, 0.5f, 0.0f); // back to the shown sequence
    EXPECT_FLOAT_EQ(shop->fadeSpeed, -0.5f);
    EXPECT_FALSE(shop->sequenceIsTransitioning());
    fade(*shop, 9);
    EXPECT_EQ(shop->fadeSpeed, 0.0f);
    EXPECT_EQ(shop->displayedSequence, 0);
    // The rotation fires once the countdown runs out with nobody about.
    shop->secondsUntilSequenceRotate = 1;
    display[0]->refreshRate = 32;
    for (int i = 0; i < 32 * 20 && shop->displayedSequence == 0; i++)
        shop->timerMoveFrame(display[0]);
    EXPECT_EQ(shop->displayedSequence, 1);
}

TEST_F(Sequences, RotationPeriodsAndTheHoldingSequence) {
    startShop();
    addScreen('a', 0);
    addScreen('b', 100);
    for (auto [type, seconds] : {std::pair{0, 2000000000}, {1, 2000000000}, {2, 60}, {6, 1800}, {99, 1800}}) {
        shop->seqRotType = static_cast<short>(type);
        shop->displaySequence(0);
        EXPECT_EQ(shop->secondsUntilSequenceRotate, seconds) << "type " << type;
    }
    shop->displaySequence(-5);
    EXPECT_EQ(shown(0), shown(1));
    EXPECT_EQ(shown(0)->id, -5);
    EXPECT_STREQ(shown(0)->getName().c_str(), "holding");
    EXPECT_EQ(shop->getChild("holdingTankSeq")->getChild("tankID")->countChildren(), 2);
}

} // namespace
