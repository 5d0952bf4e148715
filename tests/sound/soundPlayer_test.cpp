#include <gtest/gtest.h>

#include "sound/soundPlayer.h"
#include "soundTestSupport.h"

TEST(SoundPlayer, HandedOverSoundsWaitSilentlyForPlay) {
    CaudioSample s;
    makeSample16(s, {1, 2, 3, 4}, 2);
    CsoundPlayer silent; // without voices every call is quiet
    EXPECT_TRUE(silent.setSample(s) == 0 && silent.Play() == 0 && !silent.isPlaying());
    CrecordingVoices voices;
    auto const& slot = voices.slots[3];
    {
        CsoundPlayer player;
        player.slot = 3;
        player.setSample(s);
        EXPECT_EQ(slot.image, buildWaveImage(s));
        EXPECT_TRUE(slot.frees == 1 && slot.pauses == 1 && slot.volume == 0.0f) << "the old sound goes first";
        voices.refuse = true;
        player.SetVolume(0.7f);
        player.setSample(s);
        EXPECT_EQ(slot.volume, 0.7f) << "no sound was made: nothing to silence";
    }
    EXPECT_EQ(slot.frees, 3) << "a player lets its slot go when it goes";
}
