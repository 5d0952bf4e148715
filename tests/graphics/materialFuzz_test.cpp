// Malformed material scripts are refused with a reason, and a seeded smoke run of the
// material fuzz input survives random and mutated scripts.
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/materialFuzzInput.h"
#include "host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "materialTestSupport.h"
#include "world/velmoraFunctions.h"

namespace {

TEST_F(MaterialTest, MalformedScriptsAreRefused) {
    struct Case {
        std::string script;
        int result;
        char const* reason; // the first exit reason starts with this ("" none)
        int stages;
    } cases[] = {
        {":addStage { :useAlpha", 0, "", 1}, // the block closes at the end of the text
        {":addStage } } :sortPosition 1", 0, "", 1},
        {std::string("\"\0\0\0\xff", 5), 1, "syntax error in script", 0},
        {":color (1 +) x y", 0, "", 0}, // numbers are read as written: text reads 0
        {":addStage { :addStage { :addStage { :addStage { :addStage { } } } } }", 1, "adstg", 4},
        {":addStage { :tex \"\" { :tex null { } } }", 1, "couldn't run image script", 1},
        {":addStage { :tex nothere.sgi }", 1, "Couldn't find tex nothere.sgi", 1},
    };
    for (Case const& c : cases) {
        reset();
        int result = -1;
        Cmaterial* m = loadScript(c.script, &result);
        EXPECT_EQ(result, c.result) << c.script;
        EXPECT_EQ(lastReason().rfind(c.reason, 0), 0u) << c.script << ": " << lastReason();
        if (c.reason[0] == '\0') EXPECT_TRUE(exitReasonList.empty()) << c.script << ": " << lastReason();
        EXPECT_EQ(m->texStages->countChildren(), c.stages) << c.script;
    }
}

std::vector<std::string> makePieces() {
    std::vector<std::string> list;
    std::istringstream words(
        ":addStage :tex :chans :uvIndex :customTex :volumeRes :useAlpha :combine :color "
        ":vshader :fshader :static :dynamic :removeAttrib :static_unique :shiftTex "
        ":normalsToTexture :reflectionTexScale :specularColorReflection :doNormals "
        ":set shaderMode materialID (~POS+~COLOR) ~TEX2 ~GLES null uv uvB pos spec "
        "normal bogus { } ( ) 1 0 -1 3 65535 2.5 pos_func color_func tex2_func gl_Vertex "
        "gl_Normal gl_MultiTexCoord1 lowp highp \"\" \" x.sgi");
    for (std::string w; words >> w;)
        list.push_back(w);
    for (char const* extra : {" ", "\n", " { ", " } ", "// c\n", "\"a b\""})
        list.push_back(extra);
    return list;
}

TEST(MaterialFuzz, SurvivesRandomAndMutatedScripts) {
    CfakeHostServices host;
    uint8_t savedAllow = allowStdoutFile;
    uint8_t savedAlert = skipNSAlert;
    allowStdoutFile = 0;
    skipNSAlert = 1;
    std::vector<std::string> const pieces = makePieces();
    std::mt19937 rng(20261206);
    std::vector<std::string> seeds = {
        ":set shaderMode (~POS + ~COLOR)\n:addStage { :tex :uvIndex 1 }\n:vshader \"pos_func color_func\"",
        ":addStage { :chans 3 :tex null { :x } } :static uv :removeAttrib uv",
        ":shiftTex 1 2 3 :reflectionTexScale 2 :color 1 1 1 :vshader \"gl_Normal gl_MultiTexCoord0\"",
    };
    auto feed = [](std::string const& text) {
        runMaterialFuzzInput(reinterpret_cast<uint8_t const*>(text.data()), text.size());
    };
    for (std::string const& s : seeds)
        feed(s);
    for (int i = 0; i < 1500; i++) {
        std::string text;
        for (int n = static_cast<int>(rng() % 20); n > 0; n--)
            text += pieces[rng() % pieces.size()] + ((rng() % 2) ? " " : "");
        feed(text);
        std::string mutated = seeds[rng() % seeds.size()];
        for (int steps = 1 + static_cast<int>(rng() % 4); steps > 0; steps--) {
            size_t at = rng() % (mutated.size() + 1);
            if (rng() % 2)
                mutated.insert(at, pieces[rng() % pieces.size()]);
            else if (at < mutated.size())
                mutated[at] = static_cast<char>(rng() & 255);
        }
        feed(mutated);
    }
    allowStdoutFile = savedAllow;
    skipNSAlert = savedAlert;
    // The reader is still sound afterwards.
    CfuzzMaterialModel model;
    auto* m = new Cmaterial;
    model.addVariable(m, 1);
    m->texGeo = &model;
    CscriptVar script;
    ASSERT_EQ(script.processStringScript(":addStage { :useAlpha } :sortPosition 2"), 0);
    EXPECT_EQ(m->readFromScript(script), 0);
    EXPECT_EQ(m->numStages, 1);
    EXPECT_EQ(m->sortPosition, 2.0f);
}

} // namespace
