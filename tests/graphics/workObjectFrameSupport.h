// A model, a thing and a tank for the per-frame geometry tests.
#pragma once

#include <utility>
#include <vector>

#include "data/dataArray.h"
#include "geoTestSupport.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "materialTestSupport.h"
#include "script/matrixControllerManager.h"
#include "support/pov.h"

// The tank and species arrays, each present only when a test sets it.
class FrameSources : public CframeSources {
  public:
    CdataChan const* camShakeChan() override { return shake; }
    CdataImage const* fishFinFlutter() override { return flutter; }
    float sphereLevelSet(Cvector const& p) override { return p.y - 0.5f; }
    Cvector camPos() override { return cam; }
    float causticSpeed() override { return 1.0f; }
    Cpov const* pov() override { return &view; }
    int gridColumns() override { return 32; }
    int gridRows() override { return 32; }
    float pushNoiseSpeed() override { return noiseSpeed; }

    CdataChan const* shake = nullptr;
    CdataImage const* flutter = nullptr;
    Cvector cam;
    Cpov view;
    float noiseSpeed = 0.0f;
};

class FrameOwner : public CworkObjectOwner {
  public:
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "fish"; }
    CtexturedGeo* workObjectModel() override { return geo; }
    CgeoNew* skeletonModel() override { return skeleton; }
    int currentBufferIndex() override { return 0; }
    float thingScale() override { return scale; }
    int thingCooks() override { return 0; }
    CframeSources* frameSources() override { return sources; }
    float* boundingBox() override { return box; }
    bool boundingBoxStart(Cvector& start) override {
        start.set(-1, -1, -1);
        return fishStart;
    }
    void processLevelSetSensor(ClevelSetSensor* sensor, float level) override {
        fired.emplace_back(sensor->value, level);
    }
    Cvariable* customTexture(char const* name) override { return textures.getChild(name, 0); }
    Cvariable* buildCustomTex(char const* name) override {
        auto* made = new CdirectoryVar;
        made->setName(name);
        textures.addVariable(made, 1);
        return made;
    }

    CmatrixControllerManager manager;
    CtexturedGeo* geo = nullptr;
    CgeoNew* skeleton = nullptr;
    FrameSources* sources = nullptr;
    float scale = 1.0f;
    float box[6] = {};
    bool fishStart = false;
    std::vector<std::pair<int, float>> fired;
    CdirectoryVar textures;
};

// Eight points: point p at (p + 1, p % 2, 0), colour (0.1 p, 0.2, 0.3), uv (0.25, 0.75),
// skinned by joints 0 (A) and 1 (B) with weights 0, 1, 0.25 for points 0 to 2 and 1 for the
// rest. Point 6 is noise-pushed, points 2 and 5 flutter, point 0's normal comes from
// points 1 and 2, point 7 takes point 3's colour. Normals are +x except at 3 and 4.
class FrameTest : public MaterialTest {
  protected:
    void SetUp() override {
        MaterialTest::SetUp();
        contents.points = 8;
        contents.attribs = {{"pos", 3, 0},   {"Cd", 3, 0},          {"N", 3, 0},       {"uv", 2, 0},
                            {"mat", 2, 0},   {"blend", 1, 0},       {"noisePush", 2, 0}, {"noiseTiming", 1, 0},
                            {"flutter", 1, 0}, {"calc_norms", 2, 0}, {"stealColor", 1, 0}};
        contents.floatsPerPoint = 21;
        for (int p = 0; p < 8; p++) {
            float n[3] = {1, 0, 0};
            if (p == 3) n[0] = 0.5f, n[1] = 3;
            if (p == 4) n[0] = 0, n[1] = -3;
            float weight = p == 0 ? 0.0f : p == 2 ? 0.25f : 1.0f;
            contents.data.insert(contents.data.end(),
                                 {float(p + 1), float(p % 2), 0, 0.1f * float(p), 0.2f, 0.3f, n[0], n[1], n[2],
                                  0.25f, 0.75f, 0, 1, weight, p == 6 ? 0.5f : 0.0f, p == 6 ? 0.25f : 0.0f, 0,
                                  (p == 2 || p == 5) ? 2.0f : 0.0f, p == 0 ? 1.0f : -1.0f, p == 0 ? 2.0f : -1.0f,
                                  p == 7 ? 3.0f : -1.0f});
        }
        contents.polygons = {{0, 1, 2}, {3, 4, 5}};
        contents.primGroups = {{"mat_fin_oa", {0}}, {"mat_fin_ob", {1}}};
        writeMaterial("fin", "");
        owner.geo = &geo;
        shake.init(4, 1, 1, 1, 4);
        shake.fillWithConstant(2.0f);
        flutterImage.init(4, 4, 1, 1, 4);
        flutterImage.fillWithConstant(1.0f);
    }
    // Loads the contents into model with its materials and per-point tables.
    int build(CtexturedGeo& model) {
        model.setName("model");
        if (loadContents(model, contents) != 0) return -1;
        if (model.getMaterialsAndBuildPolyLists(&speciesNode, Cstring(modelFolder().c_str())) != 0) return -2;
        return model.initGeometrySpecialProcessingTables();
    }
    // Two root joints: A moved by moveA, B a quarter turn about z.
    int addJoints(CworkObject& w) {
        bones.points = 2;
        bones.attribs = {{"pos", 3, 0}, {"parentMat", 1, 0}};
        bones.floatsPerPoint = 4;
        bones.data = {0, 0, 0, -1, 0, 0, 0, -1};
        if (loadContents(skeleton, bones) != 0) return -1;
        owner.skeleton = &skeleton;
        turnB.side.set(0, 1, 0), turnB.up.set(-1, 0, 0), turnB.forward.set(0, 0, 1);
        still.identity();
        ids.resize(2);
        ids[0].translatePoint = &moveA, ids[0].rotation = &still;
        ids[1].translatePoint = &zero, ids[1].rotation = &turnB;
        return w.initSkeleton(ids, 1.0f);
    }
    static Cvector at(CworkObject& w, int offset, int point) {
        float const* v = w.curGeo->pointData() + offset * w.numPoints + point * 3;
        return Cvector(v[0], v[1], v[2]);
    }
    static Cvector position(CworkObject& w, int point) { return at(w, w.posOffset, point); }
    static Cvector normal(CworkObject& w, int point) { return at(w, w.normalOffset, point); }

    CgeoFileContents contents, bones;
    CtexturedGeo geo;
    CgeoNew skeleton;
    CdirectoryVar speciesNode;
    FrameOwner owner;
    FrameSources sources;
    CdataChan shake;
    CdataImage flutterImage;
    std::vector<CskeletonIdentity> ids;
    Cvector moveA{10, 0, 0}, zero;
    Cmatrix3 turnB, still;
};
