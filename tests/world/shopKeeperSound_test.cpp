// The shop keeper's side of the sound: what it hands the sound manager at start-up, the
// ":soundmix" commands and the volume shift.
#include "shopTestSupport.h"

#include "graphics/graphicsMaster.h"
#include "script/scripter.h"
#include "support/cerr.h"

namespace {

class ShopSound : public ShopFixture {
  protected:
    void startWithSound(short variantAnswer = -1) {
        services.makeAudio = true;
        startShop(0, 1, 60);
        audio = static_cast<CsilentAudio*>(shop->audioManager);
        ASSERT_NE(audio, nullptr);
        if (variantAnswer >= 0) audio->variantAnswer = variantAnswer;
    }
    // The calls made by the commands (one script line each), from a clean record.
    std::vector<std::string> run(std::vector<std::string> const& lines) {
        audio->calls.clear();
        for (auto const& line : lines)
            EXPECT_EQ(runStringScript(shop.get(), line.c_str()), 0) << line;
        return audio->calls;
    }
    void setVolumes(float master, float trickle, float low, float high) {
        shop->masterVolume = master;
        shop->trickleVolume = trickle;
        shop->lowBubbleVolume = low;
        shop->hiBubbleVolume = high;
    }

    CsilentAudio* audio = nullptr;
};

} // namespace

TEST_F(ShopSound, StartUpHandsOverTricklesModesAndVolumes) {
    std::string settings =
        ":set lowBubblesVersion 1\n:set hiBubblesVersion -3\n:set trickleSample \"saved\"\n";
    writeWholeFile(data.file("settings.txt"), settings);
    services.audioVariantAnswer = 0;
    startWithSound();
    EXPECT_EQ(audio->keptName, &shop->trickleSample);
    EXPECT_STREQ(shop->trickleSample.c_str(), "saved");
    // The saved modes are handed over; the manager's answer, the mode in force, is kept.
    EXPECT_EQ(shop->lowBubblesVersion, 0);
    EXPECT_EQ(shop->hiBubblesVersion, 0);
    std::vector<std::string> expected = {"addTrickle  2|trickle2.chan",
                                         "addTrickle  1|trickle1.chan",
                                         "addTrickle  3|trickle3.chan",
                                         "setTrickle 0",
                                         "low 1",
                                         "high -3",
                                         "volumes 0.2 0.2 0.2 0.05",
                                         "single"};
    ASSERT_GE(audio->calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(audio->calls.begin(), audio->calls.begin() + long(expected.size())),
              expected);
}

TEST_F(ShopSound, TheAnsweredModeIsStoredBack) {
    startWithSound(1);
    masterFrame = 1;
    EXPECT_EQ(runStringScript(shop.get(), ":soundmix hiBubbles"), 0);
    EXPECT_EQ(shop->hiBubblesVersion, 1);
    EXPECT_EQ(runStringScript(shop.get(), ":soundmix lowBubbles"), 0);
    EXPECT_EQ(shop->lowBubblesVersion, 1);
    masterFrame = 0;
}

TEST_F(ShopSound, SoundMixCommands) {
    startWithSound();
    setVolumes(0.05f, 0.2f, 0.1f, 0.05f);
    struct Step {
        char const* what;
        int frame;
        std::vector<std::string> lines, calls;
        uint8_t activeAfter;
    };
    std::vector<Step> steps = {
        {"end without start does nothing", 5, {":soundmix end"}, {}, 0},
        {"before the first frame the track commands do nothing",
         0,
         {":soundmix nextTrickle", ":soundmix lowBubbles", ":soundmix hiBubbles"},
         {},
         0},
        // The loudest track is raised to 0.5, the master lowered to match.
        {"start before the first frame", 0, {":soundmix start"}, {"volumes 0.5 0.125 0.25 0.02", "multi"}, 1},
        {"start",
         5,
         {":soundmix start"},
         {"volumes 0.5 0.125 0.25 0.02", "multi", "volumes 0.5 0.125 0.25 0.02", "trackVolumes"},
         1},
        {"the next trickle",
         5,
         {":soundmix nextTrickle"},
         {"setTrickle 1", "refresh 2", "volumes 0.5 0.125 0.25 0.02", "trackVolumes"},
         1},
        {"low bubbles",
         5,
         {":soundmix lowBubbles"},
         {"low 0", "refresh 0", "volumes 0.5 0.125 0.25 0.02", "trackVolumes"},
         1},
        {"high bubbles",
         5,
         {":soundmix hiBubbles"},
         {"high 0", "refresh 1", "volumes 0.5 0.125 0.25 0.02", "trackVolumes"},
         1},
        {"end", 5, {":soundmix end"}, {"volumes 1 0.25 0.5 0.01", "single", "fade 1"}, 0},
        {"an unknown mix command", 5, {":soundmix sideways"}, {}, 0},
    };
    for (Step const& s : steps) {
        SCOPED_TRACE(s.what);
        masterFrame = s.frame;
        EXPECT_EQ(run(s.lines), s.calls);
        EXPECT_EQ(shop->soundMixActive, s.activeAfter);
    }
    masterFrame = 0;
}

TEST_F(ShopSound, WithoutASoundManagerTheMixCommandsOnlyKeepTheVolumes) {
    startShop(0, 1, 60);
    ASSERT_EQ(shop->audioManager, nullptr);
    setVolumes(0.05f, 0.2f, 0.1f, 0.05f);
    masterFrame = 5;
    for (char const* line : {":soundmix start", ":soundmix nextTrickle", ":soundmix redo"})
        EXPECT_EQ(runStringScript(shop.get(), line), 0) << line;
    EXPECT_EQ(shop->soundMixActive, 1);
    EXPECT_FLOAT_EQ(shop->masterVolume, 0.02f);
    EXPECT_EQ(runStringScript(shop.get(), ":soundmix end"), 0);
    EXPECT_EQ(shop->soundMixActive, 0);
    masterFrame = 0;
}

TEST_F(ShopSound, VolumeShiftKeepsWhatIsHeard) {
    startShop(0, 0, 60);
    struct Case {
        char const* what;
        float peak, master, trickle, low, high;
        float masterAfter, trickleAfter, lowAfter, highAfter;
    };
    Case cases[] = {
        {"the master takes the gain", 0.5f, 0.05f, 0.2f, 0.1f, 0.05f, 0.02f, 0.5f, 0.25f, 0.125f},
        {"the master can give no more than 1", 0.5f, 0.8f, 0.9f, 0.6f, 0.3f, 1.0f, 0.72f, 0.48f, 0.24f},
        {"silent tracks stay", 1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        setVolumes(c.master, c.trickle, c.low, c.high);
        shop->maximizeVolumes(c.peak);
        EXPECT_FLOAT_EQ(shop->masterVolume, c.masterAfter);
        EXPECT_FLOAT_EQ(shop->trickleVolume, c.trickleAfter);
        EXPECT_FLOAT_EQ(shop->lowBubbleVolume, c.lowAfter);
        EXPECT_FLOAT_EQ(shop->hiBubbleVolume, c.highAfter);
    }
}
