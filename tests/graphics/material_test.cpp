// Reading materials: the script commands and their refusals, and every material the
// resource tree ships.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/textureImage.h"
#include "materialTestSupport.h"

namespace {

TEST_F(MaterialTest, CommandsSetTheirFields) {
    struct Case {
        char const* script;
        std::function<bool(Cmaterial&, TestModel&)> holds;
    } cases[] = {
        {":color 0.5 0.25 0.125",
         [](Cmaterial& m, TestModel&) {
             return m.hasColor == 1 && m.color[0] == 0.5f && m.color[1] == 0.25f && m.color[2] == 0.125f &&
                    m.color[3] == 1.0f;
         }},
        {":doLighting 2 :additive 0.9",
         [](Cmaterial& m, TestModel&) { return m.doLighting == 1 && m.additive == 0; }},
        // Numbers beyond the integer range are held at its limit before they become bytes.
        {":oneColorChannelToAll 1e30 :doLighting nan",
         [](Cmaterial& m, TestModel& g) { return g.oneChannelColor == 255 && m.doLighting == 0; }},
        {":normalsToTexture 1",
         [](Cmaterial& m, TestModel& g) {
             return g.normalsToTexture == 1 && m.streamChans[STREAM_DYNAMIC] == (CHAN_POSITION | CHAN_TEX2);
         }},
        {":normalsToTexture 0",
         [](Cmaterial& m, TestModel& g) {
             return g.normalsToTexture == 0 && m.streamChans[STREAM_DYNAMIC] == (CHAN_POSITION | CHAN_TEX1);
         }},
        {":shiftTex 1 0.5 0.25",
         [](Cmaterial& m, TestModel& g) {
             return g.texShiftSet == 1 && g.texShift[0] == 0.5f && g.texShift[1] == 0.25f &&
                    m.streamChans[STREAM_DYNAMIC] == (CHAN_POSITION | CHAN_TEX2);
         }},
        {":shiftTex 7 1 1",
         [](Cmaterial& m, TestModel& g) {
             return g.texShiftSet == 7 && m.streamChans[STREAM_DYNAMIC] == CHAN_POSITION;
         }},
        {":reflectionTexScale 2 3",
         [](Cmaterial&, TestModel& g) {
             return g.reflectionTexScale[0] == 2.0f && g.reflectionTexScale[1] == 3.0f;
         }},
        {":static uv :dynamic normal :static_unique color :removeAttrib spec :dontUpdate mat2blend",
         [](Cmaterial& m, TestModel&) {
             return m.streamChans[0] == (CHAN_TEX1 | CHAN_MAT2BLEND) &&
                    m.streamChans[1] == (CHAN_POSITION | CHAN_NORMAL) && m.streamChans[2] == CHAN_DIFFUSE &&
                    m.streamChans[3] == CHAN_SPECULAR;
         }},
        {":static diffuse :static uvB :static pos",
         [](Cmaterial& m, TestModel&) {
             return m.streamChans[0] == (CHAN_DIFFUSE | CHAN_TEX2 | CHAN_POSITION) && m.streamChans[1] == 0;
         }},
        {":vshader \"a\" :vshader \"b\" :fshader \"c\"",
         [](Cmaterial& m, TestModel&) { return m.fragShader == "c\n" && m.vertexShader.size() > 0; }},
        {":lighting :neverWireframe :pointColors :transparent :normals :doAlphaMultWhenOpaque 1 :doInterp x",
         [](Cmaterial& m, TestModel&) { return m.doLighting == 0 && m.streamChans[1] == CHAN_POSITION; }},
    };
    for (Case const& c : cases) {
        model.deleteChildren();
        TestModel fresh;
        static_cast<CmaterialOwner&>(model) = fresh;
        int result = -1;
        Cmaterial* m = loadScript(c.script, &result);
        EXPECT_EQ(result, 0) << c.script << ": " << lastReason();
        EXPECT_TRUE(c.holds(*m, model)) << c.script;
        EXPECT_TRUE(exitReasonList.empty()) << c.script << ": " << lastReason();
        reset();
    }
}

// Every refusal also suggests reinstalling.
TEST_F(MaterialTest, BadMaterialsAreRefusedWithAReason) {
    struct Case {
        char const* script;
        char const* reason;
    } cases[] = {
        {nullptr, "couldn't open material"}, // no file: the defaults stay
        {":doNormals", "doN"},
        {":color 1 0.5", "missing argument of color in material m"},
        {":shiftTex 1", "missing argument of shiftTex in material m"},
        {":static", "missing argument of static in material m"},
        {":vshader", "missing argument of vshader in material m"},
        {":frobnicate 3", "Couldn't find command frobnicate in script "},
        // A stage block's failure fails the material.
        {":addStage { :nosuch }", "Couldn't find command nosuch in script "},
    };
    for (Case const& c : cases) {
        reset();
        SCOPED_TRACE(c.script ? c.script : "no file");
        int result = -1;
        Cmaterial* m = c.script ? loadScript(c.script, &result) : load("absent", &result);
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(hasReason(c.reason) || lastReason().rfind(c.reason, 0) == 0) << lastReason();
        EXPECT_EQ(recommendReinstall, 1);
        EXPECT_EQ(m->numStages, 0); // not counted after a failure
        EXPECT_TRUE(m->vertexShader.empty());
    }
}

TEST_F(MaterialTest, UnknownAttributeWordIsRecordedAndMovesNothing) {
    int result = -1;
    Cmaterial* m = loadScript(":dynamic uv :static bogus", &result);
    EXPECT_EQ(lastReason(), "unknown static attrib 'bogus' in m");
    EXPECT_EQ(m->streamChans[STREAM_DYNAMIC], CHAN_POSITION | CHAN_TEX1);
    EXPECT_EQ(m->streamChans[STREAM_STATIC], 0);
}

TEST_F(MaterialTest, SpecularReflectionWithoutImageIsRecordedButStillMarked) {
    model.reflectionTexScale[0] = 5.0f;
    int result = -1;
    Cmaterial* m = loadScript(":specularColorReflection nothere.sgi", &result);
    EXPECT_NE(std::string(exitMsg.c_str()).find("couldn't load specularColorReflection"), std::string::npos)
        << exitMsg;
    EXPECT_EQ(recommendReinstall, 1);
    EXPECT_EQ(model.reflectionTexScale[0], 5.0f); // a file name alone leaves the scale
    EXPECT_EQ(model.workSwitches[3], 1);
    EXPECT_TRUE(m->streamChans[STREAM_DYNAMIC] & CHAN_SPECULAR);
    EXPECT_EQ(model.specColRef, nullptr);
}

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
        // What a script puts among the stages goes; the stages left are numbered by place.
        {":mkdir texStages/junk :addStage :mkdir texStages/more", 0, "", 1},
        {":addStage { } :addStage { } :delete texStages/newStage", 0, "", 1},
        {":delete texStages :addStage", 1, "adstg", 0},
        {readWholeFile(testInput("robustness/material-1.bin")), 0, "", 0},
    };
    for (Case const& c : cases) {
        reset();
        int result = -1;
        Cmaterial* m = loadScript(c.script, &result);
        EXPECT_EQ(result, c.result) << c.script;
        EXPECT_EQ(lastReason().rfind(c.reason, 0), 0u) << c.script << ": " << lastReason();
        if (c.reason[0] == '\0') EXPECT_TRUE(exitReasonList.empty()) << c.script << ": " << lastReason();
        int stages = m->texStages ? m->texStages->countChildren() : 0;
        EXPECT_EQ(stages, c.stages) << c.script;
        for (int k = 0; k < stages; k++) {
            CtextureStage* stage = m->getStage(k);
            EXPECT_EQ(stage ? stage->stageNum : -1, k) << c.script; // -1: no stage
        }
    }
}

// Every material script shipped in the resource tree reads cleanly.
TEST_F(MaterialTest, EveryShippedMaterialReads) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (auto const& entry : fs::recursive_directory_iterator(kGeneratedResourceDir)) {
        if (entry.path().extension() == ".mat") files.push_back(entry.path());
    }
    ASSERT_FALSE(files.empty()) << "no materials under " << kGeneratedResourceDir;
    // Pictures a stage loads by name are filed in the shared resource tree.
    CdirectoryVar shared;
    sharedResourceTree = &shared;
    for (fs::path const& file : files) {
        reset();
        // The material's model folder holds its "materials" folder.
        int result = -1;
        Cmaterial* m = load(file.stem().string().c_str(), &result, file.parent_path().parent_path().string());
        EXPECT_EQ(result, 0) << file;
        EXPECT_TRUE(exitReasonList.empty()) << file << ": " << lastReason();
        std::string vertex = m->vertexShader.c_str();
        for (char const* left : {"pos_func", "color_func", "tex2_func", "gl_Vertex", "gl_Normal", "gl_Multi"})
            EXPECT_EQ(vertex.find(left), std::string::npos) << file << " still has " << left;
        EXPECT_LE(m->numStages, SHADER_SAMPLERS) << file;
        // Images built by a stage's block end with pixels.
        for (int k = 0; k < m->numStages; k++) {
            CtextureImage* image = m->getStage(k)->tex;
            if (image) EXPECT_TRUE(image->array && image->array->byteData) << file << " stage " << k;
        }
    }
    model.deleteChildren(); // the materials let go of their pictures before the tree goes
    sharedResourceTree = nullptr;
}

} // namespace
