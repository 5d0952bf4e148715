// Work objects: one thing's own deformed instance of a shared model.
//
// A work object holds two private copies of the model's point data (the work buffers,
// attribute-major), the skeleton and cloth that deform them, one drawable per material set
// of the model, and the per-display data through which a device draws it. Everything but
// the device data is computed on the CPU.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/cloth.h"
#include "graphics/frameSources.h"
#include "graphics/geoNew.h"
#include "graphics/polyGroups.h"
#include "graphics/skeleton.h"
#include "support/hookTable.h"
#include "variables/safeRelationship.h"

class CgraphicsAPI;
class ClinkedResourceNode;
class CtexturedGeo;
class CworkObject;
struct ClevelSetSensor;

// What a work object needs of the thing that owns it.
class CworkObjectOwner : public CskeletonOwner {
  public:
    // The shared model the thing shows (its species' "geo_hi").
    virtual CtexturedGeo* workObjectModel() = 0;
    // The species' skeleton model; null when it has none.
    virtual CgeoNew* skeletonModel() = 0;
    // Which work buffer (0 or 1) the thing is showing.
    virtual int currentBufferIndex() = 0;
    virtual float thingScale() = 0;
    // Behaviour steps since the thing entered its tank.
    virtual int thingCooks() = 0;

    // ---- the per-frame geometry's calls into the thing (all optional) ----
    // The tank and species arrays the effects read; null while the thing has no tank.
    virtual CframeSources* frameSources() { return nullptr; }
    // The thing's middle point.
    virtual void getMidPos(Cvector& out) { out.set(0.0f, 0.0f, 0.0f); }
    // Moves the thing's cloth pieces, after skinning.
    virtual void updateClothControllers() {}
    // The thing's own adjustments of the deformed points.
    virtual void postDeformProcessing(CworkObject& object) { (void)object; }
    // A sensor found the level below its threshold.
    virtual void processLevelSetSensor(ClevelSetSensor* sensor, float level) { (void)sensor, (void)level; }
    // Debug dump of the thing.
    virtual void showThing() {}
    // The thing's bounding box (min x, y, z, max x, y, z); null: it keeps none.
    virtual float* boundingBox() { return nullptr; }
    // A fish starts its box at a point it keeps for this: true with start filled.
    virtual bool boundingBoxStart(Cvector& start) {
        (void)start;
        return false;
    }
    // The thing's random phase of the fin flutter.
    virtual float randomPhase() { return 0.0f; }
    // The thing's custom texture of that name, or null; buildCustomTex makes a new one.
    virtual Cvariable* customTexture(char const* name) {
        (void)name;
        return nullptr;
    }
    virtual Cvariable* buildCustomTex(char const* name) {
        (void)name;
        return nullptr;
    }
};

// The graphics device's side of the per-display data, filled by the device's layer at
// start-up. Unset: no device data is made.
struct CworkObjectDeviceHooks {
    // The device's display index.
    int (*displayIndex)(CgraphicsAPI* device) = nullptr;
    // A new handler of object's vertex data, linked into the device's resources and
    // initialised; null when it cannot be made.
    ClinkedResourceNode* (*makeDeviceData)(CgraphicsAPI* device, class CworkObject* object) = nullptr;
    // Marks the handler's static vertex data for upload on every display.
    void (*flagStaticData)(ClinkedResourceNode* handler) = nullptr;
    // Displays in use.
    int (*displayCount)() = nullptr;
};
extern CworkObjectDeviceHooks workObjectDeviceHooks;
// The table's description for the start-up check.
ChookTable workObjectDeviceHookTable();

// A point tested against the tank's level set each frame.
struct ClevelSetSensor {
    int16_t value = 0; // the thing's own use
    int16_t pointIndex = 0;
    float threshold = 0.0f;
};

constexpr int kWorkObjectDisplays = 8;

class CworkObject : public CsafeRelationship, public Cskeleton {
  public:
    CworkObject();
    // Releases the vertex data on every display first.
    ~CworkObject() override;

    // Clones the owner's model into the two work buffers and builds the drawables and
    // the cloth. 0 done; 1 when the model is missing or lacks what its reflections need
    // (recorded).
    int initWorkGeometry(CworkObjectOwner* owner);
    // One drawable per material set of the model, with the material numbers.
    void createRenderPolyGroupList();
    // Writes the default colours of the materials that have one into a work buffer. 0.
    int setColorsToDefault(short buffer);
    // The per-display handler of this object for device, made on first use; null when it
    // cannot be made (recorded).
    ClinkedResourceNode* getDeviceDataStructure(CgraphicsAPI* device);
    // Lets go of one display's (or every display's) vertex data.
    void freeWorkObjectDeviceResources(int displayIndex);
    void freeAllWorkObjectGraphicsResources();
    // Marks the static vertex data of every display for upload again.
    void flagToUpdateStaticData();
    // Takes over another work object's point data. 0 copied; 1 (recorded, nothing copied)
    // when the other has another model or another shape of point data.
    int copyDataFrom(CworkObject* other);
    // Writes the current work buffer as numPoints interleaved records of stride floats:
    // the parts of what (1 position, 2 colour, 4 uv, 8 uvB, 16 normal, 32 specular) at
    // their stream offsets. A part whose offset is negative or whose floats would pass the
    // record is skipped.
    void copyCGeoDataIntoRenderStreamFormat(float* dest, int strideFloats, int what);

    // The skeleton from the owner's species' skeleton model (none: 0 joints). 0 or 1.
    int initSkeleton(std::vector<CskeletonIdentity>& identities, float scale);
    // Sizes the cloth to the model's links.
    void setupCloth();
    // Moves one cloth piece by a frame; see Ccloth::updateClothPiece.
    void updateClothPiece(int piece, float xFactor, float yzFactor, float const* extra);

    // ---- per-frame geometry (workObjectFrame.cpp) ----
    // This frame's geometry into work buffer (0 or 1): joints, skinning, cloth, effects,
    // the thing's own pass, copied colours, bounding box and matrix history. 0.
    virtual int calcGeometry(int buffer);
    // Skinning of positions and normals, the noise push and the dual-normal factors;
    // a point whose skinned position is not finite and inside +-10000 becomes the origin
    // and the error exit "bad matrix" is recorded.
    void calcDeformedGeometry();
    // Flutter, recomputed normals, environment-mapped uv, caustics, specular reflection.
    void finalProcessing();
    void processStealColorsPoints();
    // The thing's bounding box from the "extremity" points, widened in x and z.
    void updateBoundingBox();
    // Skinned position of point as stored in the current buffer; without joints (or a
    // skinning table) the stored position. rotationOut (may be null) gets matrix B's
    // rotation. An unknown point leaves out unwritten.
    void calcPointNum(int point, Cvector& out, Cmatrix3* rotationOut);
    // Tests each sensor's point against the tank's level set.
    void doLevelSetSensors();

    // ---- edits and look-ups (workObjectEdits.cpp) ----
    // Blends buffer a toward buffer b by f. 0; 1 (recorded) when their layouts differ.
    virtual int interpolateGeoWith(short a, short b, float f);
    // One uv set (1 uvB, else uv) of a buffer from the model's, scaled and scrolled by
    // time. 0.
    virtual int shiftTexCoords(short buffer, short uvSet, double time);
    // Component of attribute name in both buffers = model value * (high - low) + low.
    virtual void mathOnAttribFromOriginalValues(char const* name, int component, float low, float high);
    // Shows or hides the first group of the material named name (or every group).
    void materialDisplayed(char const* name, int on);
    void materialsDisplayed(int on);
    // Index of the first group whose current definition is named name; -1 when none.
    int findRenderPolyIndex(char const* name);
    // The same, also matching the definition's id and the set's transparent byte.
    int findRenderPolyIndex(char const* name, char id, char transparent);
    CrenderPolyGroup* findRPGbyName(char const* name);
    // Group index shows that variation; an index or variation out of range is ignored.
    void setRenderPolyVariation(short index, short variation);
    // The thing's custom texture of that name, built when it has none; null without a thing.
    Cvariable* findCustomTexture(char const* name);
    void clearAllRPGpredecessors();
    // x, y, z of a point in work buffer `buffer` (0 or 1), in either layout, writable;
    // null outside the buffer.
    float* pointPosition(int buffer, int point);

    CworkObjectOwner* thing = nullptr;
    CtexturedGeo* model = nullptr;
    std::vector<Cmatrix_4>* prevBufferMatrices = nullptr;
    std::vector<Cmatrix_4>* curBufferMatrices = nullptr;
    int32_t normalStreamOffset = -1;
    int32_t specStreamOffset = -1;
    int32_t colorStreamOffset = -1;
    int32_t uvStreamOffset = -1;
    int32_t uvBStreamOffset = -1;
    ClinkedResourceNode* deviceData[kWorkObjectDisplays] = {};
    CgeoNew* curGeo = nullptr;
    CgeoNew* prevGeo = nullptr;
    int16_t numPoints = 0;
    int16_t floatsPerPoint = 0;
    int16_t uvOffset = -1, uvBOffset = -1, colorOffset = -1, colorSize = 0;
    int16_t specOffset = -1, posOffset = -1, posSize = 0, normalOffset = -1;
    int16_t envMapUVOffset = -1;
    CgeoNew workGeo[2];
    std::vector<CrenderPolyGroup> renderPolyGroups;
    int16_t noiseTargetOffset = -1;
    Cvariable* extremity = nullptr;
    float noiseTime = 0.0f;
    float causticPhaseU = 0.0f, causticPhaseV = 0.0f;
    float uvScaleU = 1.0f, uvScaleV = 1.0f;
    std::vector<ClevelSetSensor> levelSetSensors;
    Ccloth cloth;
    // The uv set the model scrolls with the tank's time; 65535 when it scrolls none.
    uint16_t texShiftUVSet = 65535;
    // Bits of the absent sources already traced (each absence is traced once).
    uint8_t missingSourcesTraced = 0;

  private:
    // The tank's and species' arrays, traced once per kind when absent.
    CframeSources* sources();
    void traceMissing(int bit, char const* what);
    int skinnedPoints() const;
    void skinPoints(bool& failed);
    void pushNoise();
    void setDualNormalFactors();
    void flutter();
    void recomputeNormals();
    void causticColors();
    void specularReflection();
    // Start of attribute offset in buffer geo (attribute-major).
    float* attribute(CgeoNew* geo, int offset) const {
        float* data = geo ? geo->pointData() : nullptr;
        return data && offset >= 0 ? data + static_cast<size_t>(offset) * numPoints : nullptr;
    }
};
