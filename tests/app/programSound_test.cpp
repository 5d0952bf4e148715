// The program's sound as a user meets it: on unless muted, switched off in the settings
// registry or shown in a preview window; on a machine without a sound device it runs
// silently and says so once.
#include "hostFixture.h"

#include <string>

namespace {

int count(std::string const& text, char const* what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

class ProgramSound : public HostFixture {
  protected:
    // Runs the default-free fixture tree (with the sounds) for a few frames at that width;
    // the run must end well and its logs say why it is silent, once and for one reason.
    void expectSilentBecause(char const* width, bool mute, char const* registry, char const* logLine) {
        makeFolders(true);
        if (registry) writeWholeFile(data.file("registry.txt"), registry);
        std::vector<std::string> args = {"--headless", std::string(width) + "x60", "--frames", "5"};
        if (mute) args.push_back("--mute");
        EXPECT_EQ(runProgram(args), 0);
        std::string log = logs();
        EXPECT_EQ(count(log, logLine), 1) << log.substr(0, 3000);
        EXPECT_EQ(count(log, "no sound device") + count(log, "no sound:"), 1) << "one reason only";
        EXPECT_EQ(log.find("Exit Error reason"), std::string::npos);
    }
};

TEST_F(ProgramSound, WithoutADeviceTheProgramRunsSilently) {
    REQUIRE_OFFSCREEN();
    expectSilentBecause("420", false, nullptr, "no sound device: the sound plays silently");
}

TEST_F(ProgramSound, MutedOnTheCommandLine) {
    REQUIRE_OFFSCREEN();
    expectSilentBecause("420", true, nullptr, "no sound: muted");
}

TEST_F(ProgramSound, SwitchedOffInTheSettingsRegistry) {
    REQUIRE_OFFSCREEN();
    expectSilentBecause("420", false, ":set soundOff 1\n", "no sound: switched off in the settings");
}

TEST_F(ProgramSound, APreviewWindowPlaysNoSound) {
    REQUIRE_OFFSCREEN();
    expectSilentBecause("399", false, nullptr, "no sound: preview");
}

} // namespace
