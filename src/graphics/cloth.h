// Cloth: fins, tails and strands that hang off a skinned body.
//
// A piece of cloth is a set of spines: chains of links that start at an anchor carried by
// two skeleton joints and continue link by link, each link keeping its length while its
// direction is pulled, frame by frame, toward a target given by the rest shape or by the
// fin controllers' wag and lift angles. The model describes its cloth in point groups and
// point attributes; the static records are built once per model, and each work object
// keeps the current position of every link. All of it runs on the CPU.
#pragma once

#include <cstdint>
#include <vector>

#include "support/matrix3.h"
#include "support/matrix4.h"
#include "support/mystring.h"
#include "support/vector.h"

class CchanController;

struct CclothBasePointStaticInfo {
    uint8_t matrix0 = 0; // first joint
    uint8_t matrix1 = 0; // second joint
    float weight = 0.0f; // of matrix0
    Cvector anchor;      // rest position of the anchor: the base point plus its "N"
};

struct CclothSlavePointStaticInfo {
    float finDist = 0.0f;        // link length
    float const* wag = nullptr;  // (cosine, sine) of the wag controller's cell; null: none
    float const* lift = nullptr; // (cosine, sine) of the lift controller's cell; null: none
    float stiffness = 0.0f;      // fraction of the way to the target per frame
    uint16_t pointIndex = 0;     // the point the link moves
    uint8_t spine = 0;
    uint8_t last = 1;   // 1 for the last link of a spine
    Cvector restOffset; // rest direction in the frame of the link before
};

struct CclothPieceStaticInfo {
    Cstring name;
    std::vector<CclothBasePointStaticInfo> basePoints;   // one per spine
    std::vector<CclothSlavePointStaticInfo> slavePoints; // spine after spine, base link first
    uint16_t numGroups = 0;
    uint16_t firstSlave = 0; // first link in the work object's clothPoints
};

// A point group of the model: its name and its member points.
struct CclothPointGroup {
    Cstring name;
    std::vector<int> members;
};

// What the cloth builder reads of a model: its point groups in order, and its point data,
// one interleaved record of floatsPerPoint floats per point, position first.
struct CclothModelView {
    std::vector<CclothPointGroup> const* pointGroups = nullptr;
    float const* points = nullptr;
    int numPoints = 0;
    int floatsPerPoint = 0;
    bool interleaved = true;
    // Offsets of the attributes within a record; -1 when absent.
    int matOffset = -1;                            // "mat": two joint indices
    int blendOffset = -1;                          // "blend": weight of the first joint
    int spineNumOffset = -1;                       // "spineNum"
    int finDistOffset = -1;                        // "fin_dist"
    int finAnglesOffset = -1;                      // "fin_angles": the two lift shapes' cells
    int normalOffset = -1;                         // "N"
    std::vector<float> const* stiffness = nullptr; // the species' "stiffness"; null: none
};

// Where the builder finds the species' fin controllers by name.
class CclothControllerSource {
  public:
    virtual ~CclothControllerSource() = default;
    // The controller of that name; null when the species has none.
    virtual CchanController* findChanController(char const* name) = 0;
};

// The static cloth records of one model.
class CclothModel {
  public:
    // Builds a piece per "cloth_base_" group. pointFlags (numPoints entries, may be null)
    // gets 0 for every cloth point. 0 built; 1 when the model or a piece was refused
    // (recorded; a refused piece keeps no spines, so it never moves).
    int buildCloth(CclothModelView const& model, CclothControllerSource* controllers, uint8_t* pointFlags);
    // Position of the piece named name; -1 when absent.
    int getClothIndex(char const* name) const;

    std::vector<CclothPieceStaticInfo> clothPieces;
    uint32_t clothSlavePoints = 0; // links made over all pieces

  private:
    int buildPiece(CclothPieceStaticInfo& piece, CclothPointGroup const& baseGroup,
                   CclothModelView const& model, CclothControllerSource* controllers, uint8_t* pointFlags);
};

// What a work object hands the cloth each frame: its joints, its current work buffer's
// positions (attribute-major: point i at positions + i * posSize) and the thing's state.
struct CclothFrame {
    Cmatrix_4 const* deformMatrices = nullptr;
    Cmatrix3 const* normalMatrices = nullptr;
    int numMatrices = 0;
    float* positions = nullptr;
    int posSize = 3;
    int numPoints = 0;
    float thingScale = 1.0f;
    int cooks = 0; // behaviour steps since the thing entered the tank
};

// The cloth of one work object: the current position of every link of its model.
class Ccloth {
  public:
    // Sizes clothPoints to the model's links (new entries zero, existing ones kept).
    void setupCloth(CclothModel const& model);
    // Moves the links of piece by one frame. A negative or unknown piece does nothing;
    // extra (may be null) holds one value per wagged link of a spine, added to its sine.
    void updateClothPiece(CclothModel const& model, int piece, float xFactor, float yzFactor,
                          float const* extra, CclothFrame const& frame);

    std::vector<Cvector> clothPoints;
};

// v scaled to about unit length by an approximate inverse square root and one Newton
// step; a tiny or exactly unit vector is left alone.
void approxNormalize(Cvector& v);
