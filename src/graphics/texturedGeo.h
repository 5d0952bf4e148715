// CtexturedGeo: a loaded model shared by every thing that shows it: the geometry plus what
// is derived from it once per model (materials, poly groups, per-point tables). It is
// requested by name (requestGeo2), counted by its "instances" variable and destroyed when
// the last user releases it.
#pragma once

#include <cstdint>
#include <fstream>
#include <vector>

#include "graphics/cloth.h"
#include "graphics/geoNew.h"
#include "graphics/materialOwner.h"
#include "graphics/polyGroups.h"

class Cmaterial;
class Cmatrix_4;

// The two matrices that move one point and the weight of the first.
struct CmatrixBlendInfo {
    uint8_t matrixA = 0;
    uint8_t matrixB = 0;
    float weight = 0.0f;
};

// One point of a "flutter_" group, as the flutter variables hold it.
struct CflutterRecord {
    int16_t point = 0;
    uint16_t matrixA = 0;
    uint16_t matrixB = 0;
    float weight = 0.0f;
    float finDistance = 0.0f;
    float wagAmount = 0.0f;
};

class CtexturedGeo : public CgeoNew, public CmaterialOwner {
  public:
    // Empty; registers "diffuseMultiply" and "instances" (the use count).
    CtexturedGeo();
    ~CtexturedGeo() override;
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    Cvariable* materialOwnerNode() override { return this; }

    // Loads the model file at path, binary tree form first, then the geometry file.
    // 0 loaded; 1 (an empty geometry, recommendReinstall set) when it loads in neither form
    // or its contents are out of range.
    int loadTexturedGeo(char const* path);

    // ---- poly groups (polyGroupBuild.cpp) ----
    // Splits the "mat_" primitive groups into definitions and material sets and loads the
    // materials from the species folder. 0 done; 1 failed (recorded); the species load
    // fails with it. species is the species' node: its "apiFormat" and
    // "pushUVinsteadOfPosition" are read.
    int getMaterialsAndBuildPolyLists(Cvariable* species, Cstring const& speciesPath);
    // The material of that name, shared by every group of it; null when it cannot be read
    // or leaves an error exit pending.
    Cmaterial* loadMaterial(Cstring const& materialName, Cstring const& path);

    // ---- per-point tables (pointTables.cpp) ----
    // Builds the per-point tables from the model's attributes and groups. 0 done; 1 when a
    // table would index outside the model (an error exit naming the model is recorded).
    int initGeometrySpecialProcessingTables();
    // blendInfo from "mat" and "blend".
    void buildQuickMatrixLookups();
    // The dapple tables, when the species holds a "light_points" geometry.
    void allocDappleKeys();
    // 0 when every "mat" index names one of jointCount matrices; else 1, recorded.
    int checkMatrixIndices(int jointCount);
    // x, y, z of every point moved by its two matrices, point after point.
    void deformGeometry(float* out, std::vector<Cmatrix_4> const& matrices);
    // Each point's value at offset v becomes table[v] when v indexes the table.
    void remapAttrib(int offset, std::vector<short> const& table);

    float diffuseMultiply = 1.0f;
    Cvariable* materialsDir = nullptr;
    Cvariable* species = nullptr;
    std::vector<CpolyGroupDefinition*> definitions; // owned
    std::vector<CpolyGroupSet*> polyGroupSets;      // owned
    CgeoNew clonedPoints;                           // attribute-major "pos", "Cd", "N"
    int noisePushOffset = -1, noiseTimingOffset = -1;
    uint8_t pushUVSet = 0;
    int noiseUVOffset = 0;
    int causticNoiseOffset = -1, causticAmpOffset = -1;
    uint16_t usedAttribMask = 1;
    uint16_t staticMask = 0, dynamicMask = 0, staticUniqueMask = 0, removeMask = 0;
    // The static vertex buffer the model's instances share on each display (the device's;
    // it clears its slot when freed).
    ClinkedResourceNode* sharedStaticBuffers[8] = {};

    std::vector<uint16_t> normalCalcs; // (point, neighbour A, neighbour B)
    std::vector<uint8_t> pointFlags;
    std::vector<CmatrixBlendInfo> blendInfo;
    CdirectoryVar flutterDir; // one link per "flutter_" group, elements CflutterRecord
    std::vector<int> flutterSkips;
    std::vector<float> flutterValues; // (u, v, amount)
    std::vector<float> dualNormalFactors;
    std::vector<int> dualNormalPoints;
    std::vector<int> stealColorPairs; // (point, source)
    std::vector<float> lightingAdjust;
    std::vector<float> dappleTableA, dappleTableB;
    std::vector<CmatrixBlendInfo> dappleKeys;
    CclothModel cloth; // the cloth records (buildModelCloth)

  private:
    void freePolyGroups();
    // Records the error exit "bad model <name>: <what>"; returns 1.
    int badModel(char const* what, long index = -1);
    int buildDefinition(CshortLinkVar* group, Cstring const& speciesPath);
};

// The model loader behind requestGeo2: a new CtexturedGeo named after the file and loaded
// from diskPath; null (nothing kept) when it does not load.
CmanagedResourceVar* loadTexturedGeoModel(Cstring const& diskPath);
// Points the shared-model requests at loadTexturedGeoModel; start-up calls it once.
void installModelLoader();
