// Seeded smoke run of the image-script fuzz input: random and mutated image scripts must
// neither crash nor hang nor upset the sanitizers, and a sound script still works after.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/imageScriptFuzzInput.h"
#include "world/velmoraFunctions.h"

namespace {

std::vector<std::string> const& pieces() {
    static std::vector<std::string> const list = [] {
        std::vector<std::string> out;
        std::istringstream words(
            ":buffer :simpleRamp :fill :mult :downRes :makeResized :add :replaceAlpha :loadRGBA :displace "
            ":comp "
            "-name -chans -res -permanent -file -vectors -grab -new -to -contrast -multadd -vectorTrans "
            "-bluePostAddMult -top -bottom -mask -method -edge -pos -chans replace over over_color_only add "
            "subtract mult maskblend a b c d unnamed r rgba ga x.sgi y.rgb z.jpg q.alpha 0 1 -1 2 3 0.5 -0.5 "
            "1e9 -1e9 65535 -65536 (1/0) (0/0) 4 7 100");
        for (std::string w; words >> w;)
            out.push_back(w);
        for (char const* extra : {"\n", "\n", " ", "{", "}", "\"", "$"})
            out.push_back(extra);
        return out;
    }();
    return list;
}

// Lines of a command word (the first eleven pieces) and random arguments.
std::string randomScript(std::mt19937& rng) {
    std::string text;
    for (int lines = 1 + static_cast<int>(rng() % 5); lines > 0; lines--) {
        text += pieces()[rng() % 11];
        for (int n = static_cast<int>(rng() % 10); n > 0; n--)
            text += " " + pieces()[rng() % pieces().size()];
        text += "\n";
    }
    return text;
}

std::string mutate(std::string text, std::mt19937& rng) {
    for (int steps = 1 + static_cast<int>(rng() % 3); steps > 0; steps--) {
        size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        if (rng() % 2)
            text.insert(at, " " + pieces()[rng() % pieces().size()] + " ");
        else if (at < text.size())
            text[at] = static_cast<char>(rng() & 255);
    }
    return text;
}

void feed(std::string const& text) {
    runImageScriptFuzzInput(reinterpret_cast<uint8_t const*>(text.data()), text.size());
}

TEST(ImageScriptFuzz, SurvivesRandomAndMutatedScripts) {
    CimageScriptFuzzScope imageCommandsOnly;
    uint8_t savedAllow = allowStdoutFile;
    allowStdoutFile = 0;
    std::mt19937 rng(20261206);
    std::vector<std::string> seeds = {
        ":comp -top a -bottom b -method maskblend\n",
        ":comp -new r -bottom a -top c -mask b -method maskblend -pos -2 1 -chans 3\n",
        ":displace -vectors a -grab c -new t -vectorTrans 1e9 -1e9 (0/0) 3 7\n",
        ":makeResized d c a\n:downRes e d 3\n:add a b 1 1 1 1 1 1\n:replaceAlpha c b\n",
        ":fill a rgbargba 1 1 1 1 1 1 1\n:mult a 2 2 2 2\n:mult 0.5\n",
        ":buffer -res 65535 65535 -chans 9\n:buffer -permanent -file x.sgi\n:loadRGBA y.rgb q.alpha\n",
    };
    for (std::string const& seed : seeds) {
        feed(seed);
        for (int i = 0; i < 150; i++)
            feed(mutate(seed, rng));
    }
    for (int i = 0; i < 2000; i++)
        feed(randomScript(rng));

    // Afterwards a sound script still composes the texture it runs on.
    CdirectoryVar holder;
    auto* texture = new CtextureImage;
    texture->setParent(&holder, 0);
    texture->preScript();
    EXPECT_EQ(runStringScript(texture, ":buffer -res 2 1 -chans 1\n:fill unnamed a 1"), 0);
    texture->postScript();
    ASSERT_NE(texture->array->byteData, nullptr);
    EXPECT_EQ(texture->array->byteData[0], 0); // only whole four-pixel words are filled
    EXPECT_EQ(texture->array->numElements, 2);
    images.clear();
    lastImageAltered = nullptr;
    allowStdoutFile = savedAllow;
}

} // namespace
