// Every material script shipped in the resource tree reads cleanly.
#include <filesystem>
#include <vector>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/textureImage.h"
#include "materialTestSupport.h"

namespace {

#ifdef VELMORA_GENERATED_RESOURCE_DIR
constexpr char const* resourceDir = VELMORA_GENERATED_RESOURCE_DIR;
#else
constexpr char const* resourceDir = "resources/";
#endif

TEST_F(MaterialTest, EveryShippedMaterialReads) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (auto const& entry : fs::recursive_directory_iterator(resourceDir)) {
        if (entry.path().extension() == ".mat") files.push_back(entry.path());
    }
    ASSERT_FALSE(files.empty()) << "no materials under " << resourceDir;
    // Pictures a stage loads by name are filed in the shared resource tree.
    CdirectoryVar shared;
    sharedResourceTree = &shared;
    for (fs::path const& file : files) {
        reset();
        // The material's model folder holds its "materials" folder.
        std::string modelFolderPath = file.parent_path().parent_path().string();
        auto* m = new Cmaterial;
        m->setName(file.stem().string().c_str());
        model.addVariable(m, 1);
        m->setDiskPath(modelFolderPath.c_str());
        m->texGeo = &model;
        EXPECT_EQ(m->readFromDiskPath(), 0) << file;
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
