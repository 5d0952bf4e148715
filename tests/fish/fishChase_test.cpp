// Chasing another fish: refusals, the chase message, the end of a chase, the flight of the
// chased fish and the links that go when either fish does.
#include "fishTestSupport.h"

namespace {

class ChaseTest : public FishTest {
  protected:
    static int waiting(Cfish& fish, int code) {
        int n = 0;
        for (int i = 0; i < fish.capacity(); i++)
            if (fish.record(i).code == code) n++;
        return n;
    }
};

// A chase is refused while either fish chases or is chased: two fish picking each other in
// one frame make one chase.
TEST_F(ChaseTest, OneChaseAtATimeOnEitherSide) {
    Cfish* a = makeFish(Cvector(0, 0, 0));
    Cfish* b = makeFish(Cvector(0, 0, 3));
    Cfish* c = makeFish(Cvector(3, 0, 0));
    a->startChase(b);
    b->startChase(a);
    EXPECT_EQ(a->chasing, b);
    EXPECT_EQ(b->chasedBy, a);
    EXPECT_EQ(b->chasing, nullptr) << "the second of two fish picking each other is refused";
    c->startChase(b);
    EXPECT_EQ(c->chasing, nullptr) << "b is chased already";
    a->startChase(c);
    EXPECT_EQ(a->chasing, b) << "a chases already";
    EXPECT_EQ(a->activity, Cfish::ACTIVITY_CHASE);
    EXPECT_EQ(a->goalPointer, &b->vertex[7]);
    EXPECT_EQ(a->chaseFramesLeft, 100);
}

// The chaser tells the target it is chased once it is fast, within three body lengths and
// at it for ten frames; the target flees from it.
TEST_F(ChaseTest, TheChasedFishIsToldAndFlees) {
    Cfish* a = makeFish(Cvector(0, 0, 0));
    Cfish* b = makeFish(Cvector(0, 0, 2));
    a->startChase(b);
    struct {
        float speed, distance;
        int framesIn;
        bool told;
    } const cases[] = {
        {0.0f, 2.0f, 20, false}, // too slow
        {5.0f, 3.5f, 20, false}, // too far
        {5.0f, 2.0f, 5, false},  // too soon
        {5.0f, 2.0f, 20, true},
    };
    for (auto const& c : cases) {
        b->clearAllMessages();
        b->purgeNullMessages();
        a->bodySpeed = c.speed;
        a->goalDistance = c.distance;
        a->goalZone = 2;
        a->chaseFrameCount = c.framesIn;
        a->chaseFramesLeft = 50;
        a->chaseStep();
        EXPECT_EQ(waiting(*b, 10), c.told ? 1 : 0) << c.speed << " " << c.distance << " " << c.framesIn;
    }
    CthingMessage chased;
    chased.code = 10;
    b->processMessage(&chased);
    EXPECT_EQ(b->activity, Cfish::ACTIVITY_CHASED);
    EXPECT_EQ(b->goalPointer, &a->vertex[4]);
    EXPECT_EQ(b->avoidForFrames, 200);
    EXPECT_FLOAT_EQ(b->fleeDistance, 5.0f);
}

// A chase that runs out without getting close sends both fish back to their school; one
// that got close stops the chaser and makes the target bolt. Either way the links go.
TEST_F(ChaseTest, AChaseEndsWhenItRunsOut) {
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "got close" : "never close");
        Cfish* a = makeFish(Cvector(0, 0, 0));
        Cfish* b = makeFish(Cvector(0, 0, 2));
        a->startChase(b);
        a->gotClose = close;
        a->chaseFramesLeft = 0;
        a->goalZone = 2;
        a->goalDistance = 2;
        a->chaseStep();
        EXPECT_EQ(a->activity, close ? Cfish::ACTIVITY_STOP : Cfish::ACTIVITY_SCHOOL);
        EXPECT_EQ(a->chasing, nullptr);
        EXPECT_EQ(b->chasedBy, nullptr);
        EXPECT_EQ(b->activity, Cfish::ACTIVITY_IDLE);
        if (close) EXPECT_FLOAT_EQ(b->bodySpeed, a->speedTiers[2]);
        deleteVariable(a);
        deleteVariable(b);
        emptyTrash();
    }
}

// Deleting either fish of a chase clears both sides' links and points the survivor's goal
// back at its own point.
TEST_F(ChaseTest, DeletingEitherFishEndsTheChase) {
    for (bool chaserGoes : {true, false}) {
        SCOPED_TRACE(chaserGoes ? "the chaser goes" : "the target goes");
        Cfish* a = makeFish(Cvector(0, 0, 0));
        Cfish* b = makeFish(Cvector(0, 0, 2));
        a->startChase(b);
        CthingMessage chased;
        chased.code = 10;
        b->processMessage(&chased);
        Cfish* survivor = chaserGoes ? b : a;
        deleteVariable(chaserGoes ? a : b);
        EXPECT_EQ(survivor->chasing, nullptr);
        EXPECT_EQ(survivor->chasedBy, nullptr);
        EXPECT_EQ(survivor->goalPointer, &survivor->ownGoalPoint);
        EXPECT_NE(survivor->activity, chaserGoes ? Cfish::ACTIVITY_CHASED : Cfish::ACTIVITY_CHASE);
        emptyTrash();
        deleteVariable(survivor);
        emptyTrash();
    }
}

} // namespace
