// The shop keeper's side of the sound: what it hands the sound manager at start-up, the
// ":soundmix" commands and the volume shift.
#include "shopTestSupport.h"

#include "graphics/graphicsMaster.h"
#include "script/scripter.h"

namespace {

using ShopSound = ShopFixture;
using Calls = std::vector<std::string>;

} // namespace

TEST_F(ShopSound, StartUpAndSoundMixCommands) {
    writeWholeFile(data.file("settings.txt"), ":set lowBubblesVersion -1\n:set hiBubblesVersion 3\n");
    services.makeAudio = true;
    services.audioVariantAnswer = 1;
    startShop(0, 1, 60);
    auto* audio = static_cast<CsilentAudio*>(shop->audioManager);
    std::string first;
    for (size_t k = 0; k < 8 && k < audio->calls.size(); k++)
        first += audio->calls[k] + "; ";
    EXPECT_EQ(first, "addTrickle  2|trickle2.chan; addTrickle  1|trickle1.chan; addTrickle  3|trickle3.chan; "
                     "setTrickle 0; low -1; high 3; volumes 0.2 0.2 0.2 0.05; single; ");
    // The manager keeps the setting's name; the mode in force it answers is what is kept.
    EXPECT_TRUE(audio->keptName == &shop->trickleSample && shop->lowBubblesVersion == 1 &&
                shop->hiBubblesVersion == 1);
    shop->masterVolume = 0.05f, shop->trickleVolume = 0.2f, shop->lowBubbleVolume = 0.1f,
    shop->hiBubbleVolume = 0.05f;
    auto mix = [&](char const* line, int frame, Calls calls, uint8_t activeAfter) {
        SCOPED_TRACE(line);
        masterFrame = frame;
        audio->calls.clear();
        EXPECT_EQ(runStringScript(shop.get(), line), 0);
        EXPECT_EQ(audio->calls, calls);
        EXPECT_EQ(shop->soundMixActive, activeAfter);
    };
    Calls redo = {"volumes 0.5 0.125 0.25 0.02", "trackVolumes"};
    mix(":soundmix end", 5, {}, 0); // without a start: nothing
    for (char const* line : {":soundmix nextTrickle", ":soundmix lowBubbles", ":soundmix hiBubbles"})
        mix(line, 0, {}, 0); // before the first frame: nothing
    // The loudest track is raised to 0.5 and the master lowered to match.
    mix(":soundmix start", 0, {"volumes 0.5 0.125 0.25 0.02", "multi"}, 1);
    mix(":soundmix start", 5, {"volumes 0.5 0.125 0.25 0.02", "multi", redo[0], redo[1]}, 1);
    mix(":soundmix nextTrickle", 5, {"setTrickle 1", "refresh 2", redo[0], redo[1]}, 1);
    shop->lowBubblesVersion = -1;
    mix(":soundmix lowBubbles", 5, {"low -1", "refresh 0", redo[0], redo[1]}, 1);
    EXPECT_EQ(shop->lowBubblesVersion, 1) << "the answered mode is kept";
    mix(":soundmix hiBubbles", 5, {"high 1", "refresh 1", redo[0], redo[1]}, 1);
    mix(":soundmix end", 5, {"volumes 1 0.25 0.5 0.01", "single", "fade 1"}, 0);
    mix(":soundmix sideways", 5, {}, 0);
    // The master gives at most 1; silent tracks stay as they are.
    shop->masterVolume = 0.8f, shop->trickleVolume = 0.9f, shop->lowBubbleVolume = 0.6f,
    shop->hiBubbleVolume = 0.3f;
    mix(":soundmix start", 0, {"volumes 0.72 0.24 0.48 1", "multi"}, 1);
    shop->trickleVolume = shop->lowBubbleVolume = shop->hiBubbleVolume = 0.0f;
    mix(":soundmix start", 0, {"volumes 0 0 0 1", "multi"}, 1);
    masterFrame = 0;
}
