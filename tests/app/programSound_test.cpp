// The program's sound is on unless muted, off in the registry or in a preview; no device: silent.
#include "hostFixture.h"

namespace {

class ProgramSound : public HostFixture {
  protected:
    // A few frames at that width: the run ends well and its logs give one reason for silence.
    void expectSilentBecause(char const* width, bool mute, char const* registry, std::string const& reason) {
        REQUIRE_OFFSCREEN();
        makeFolders(true);
        if (registry) writeWholeFile(data.file("registry.txt"), registry);
        std::vector<std::string> args = {"--headless", std::string(width) + "x60", "--frames", "5"};
        if (mute) args.push_back("--mute");
        EXPECT_EQ(runProgram(args), 0);
        std::string log = logs();
        size_t at = log.find("no sound"), again = log.find("no sound", at + 1);
        EXPECT_TRUE(at != log.npos && log.find(reason) == at && again == log.npos) << log.substr(0, 3000);
    }
};

TEST_F(ProgramSound, WithoutADevice) {
    expectSilentBecause("420", 0, 0, "no sound device: the sound plays silently");
}
TEST_F(ProgramSound, Muted) {
    expectSilentBecause("420", 1, 0, "no sound: muted");
}
TEST_F(ProgramSound, OffInTheRegistry) {
    expectSilentBecause("420", 0, ":set soundOff 1\n", "no sound: switched off");
}
TEST_F(ProgramSound, InAPreview) {
    expectSilentBecause("399", 0, 0, "no sound: preview");
}

} // namespace
