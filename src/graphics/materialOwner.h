// The part of a model that its materials read and write.
//
// A material is loaded by the model that uses it; its script sets a few of the model's
// drawing options and reads how the model compresses its vertices. The model class derives
// from this, so materials need nothing else of it.
#pragma once

#include <cstdint>

class Cvariable;
class CdataArray;

class CmaterialOwner {
  public:
    virtual ~CmaterialOwner() = default;
    // The model's node, under which materials register the arrays they load.
    virtual Cvariable* materialOwnerNode() = 0;

    // Bits of apiFormat.
    enum : int {
        API_COMPRESSED_POSITIONS = 1, // positions as 16-bit integers, 2048 per unit
        API_COLOR_IN_W = 2,           // the colour intensity travels in position w
        API_COMPRESSED_UV2 = 4,       // second texture coordinates as 16-bit integers
    };
    int apiFormat = 0;
    int16_t specOffset = -1; // offset of the "spec" attribute; -1 when absent

    uint8_t texShiftSet = 255;     // 255: no texture shift
    uint8_t oneChannelColor = 255; // 255: colours as they are
    float texShift[2] = {0.0f, 0.0f};
    uint8_t normalsToTexture = 255; // 255: normals are not turned into texture coordinates
    float reflectionTexScale[2] = {1.0f, 1.0f};
    uint8_t workSwitches[7] = {0, 1, 1, 1, 1, 1, 1};
    CdataArray* specColRef = nullptr;  // image of the specular colour reflection
    CdataArray* specColRefC = nullptr; // its channel form
};
