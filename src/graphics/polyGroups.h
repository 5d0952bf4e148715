// Poly groups: a model is drawn material by material. Each primitive group named "mat_..."
// becomes a definition (its index lists, sort point and bound points); the definitions of
// one material are the numbered variations of a set; a work object draws one render poly
// group per set, pointing at the variation it currently shows.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"
#include "support/vector.h"

class Cmaterial;
class CpolyGroupSet;
class CworkObject;
class ClinkedResourceNode;

// Displays a definition keeps index data for.
constexpr int kPolyGroupDisplays = 8;
// Most bound points of one group.
constexpr int kMaxBoundPoints = 6;

class CpolyGroupDefinition {
  public:
    CpolyGroupDefinition() = default;
    // Releases the index data on every display first.
    ~CpolyGroupDefinition();
    CpolyGroupDefinition(CpolyGroupDefinition const&) = delete;
    CpolyGroupDefinition& operator=(CpolyGroupDefinition const&) = delete;

    // Lets go of display d's index data (the device layer's object unlinks itself).
    void PGDfreeVertexIndexDataForDevice(int d);

    std::vector<uint16_t> triangleIndices;    // true triangles, 3 points each
    std::vector<uint16_t> allTriangleIndices; // every triangle drawn (quads split), rebased
    std::vector<uint16_t> quadIndices;        // quads, 4 points each, in polygon order
    std::vector<uint16_t> polygonVertices;    // every polygon's vertices; a quad as a, b, d, c
    std::vector<uint16_t> polygonStart;       // per polygon: its first entry in polygonVertices
    std::vector<uint16_t> polygonSize;        // per polygon: its vertex count
    ClinkedResourceNode* indexData[kPolyGroupDisplays] = {};
    int16_t boundCount = 0;
    uint16_t boundPoints[kMaxBoundPoints] = {};
    int16_t skipPOVtest = 0;
    CpolyGroupSet* set = nullptr;
    Cstring name; // the primitive group's full name
    char idChar = 0;
    int16_t allTriangleCount = 0;
    uint16_t minVertex = 0;
    uint16_t verticesToSend = 0;
    int16_t polygonCount = 0;
    int16_t sortPoint = 0;
    float sortPosition = 0.0f;
    int16_t definitionIndex = 0;
};

// The variations of one material in a model; the model owns the definitions.
class CpolyGroupSet {
  public:
    Cstring materialName;
    Cmaterial* material = nullptr;
    std::vector<CpolyGroupDefinition*> variations;
    uint8_t transparent = 0;
};

// One drawable of a work object: a material set and the variation it shows.
class CrenderPolyGroup {
  public:
    ~CrenderPolyGroup();

    // Shows variation i of the set.
    void usePolyGroupIndex(int i);
    // other is drawn before this group this frame; null, and more than kMaxPredecessors, are
    // ignored.
    void drawMeOvertopOf(CrenderPolyGroup* other);
    // The group's view-space box and the culling cells it covers, from its bound points
    // in the owner's current buffer. Without a tank: error exit "tbah", nothing changes.
    void calcPOVcoords();

    CworkObject* owner = nullptr;
    CpolyGroupSet* set = nullptr;
    uint8_t variation = 0;
    uint16_t materialNumber = 0;
    CpolyGroupDefinition* definition = nullptr;
    uint8_t displayed = 0;
    uint8_t passBits = 0;
    CrenderPolyGroup* lastSameMaterial = nullptr;
    // Groups drawn before this one, set anew each frame: a fixed list, so the frame never
    // allocates for it.
    static constexpr int kMaxPredecessors = 4;
    int16_t predecessorCount = 0;
    CrenderPolyGroup* predecessors[kMaxPredecessors] = {};
    // View-space box: x from the first corner to the second, y and z ascending.
    Cvector screenMin, screenMax;
    // One bit per culling cell (columns, rows) covered; 0 off the grid.
    uint64_t xCellMask = 0, yCellMask = 0;
};

// Bits first .. last of a grid of count cells (count held to 64), from a cell range in
// grid units; 0 when the range lies off the grid.
uint64_t gridCellMask(float first, float last, int count);

// The suffix of a "mat_" group name: "<base><sep><flag><id>" or
// "<base><sep><digit>#<sep><flag><id>". Cuts it off name; false (name untouched) when the
// name is too short for the form it ends in.
bool decodeEndShit(Cstring& name, char& id, uint8_t& transparent, int& number);
// The stream-channel bits of mask by name, on the verbose channel.
void showAttribMasks(uint16_t mask);
