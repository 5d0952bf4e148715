// One quad of the control panel's mesh, handed to one widget at a time.
//
// The box writes its corners, texture coordinates and colours straight into the panel
// thing's work buffer, shows or hides its poly group and gives the group's texture stage
// the widget's texture. Boxes 0, 1 and 2 are reserved (the panel background and the scroll
// bar's track and thumb); those keep their material's own picture when a widget lets go.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "variables/variable.h"

class Crect;
class CrenderPolyGroup;
class CtextureImage;
class CwidgetVar;

class CimageBoxVar : public Cvariable {
  public:
    CimageBoxVar();
    // Gives the stage its own picture back.
    ~CimageBoxVar() override;
    int getType() override { return TYPE_IMAGE_BOX; }
    char const* getClassName() override { return "IMAGE_BOX"; }
    // ":imagebox <name>".
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;

    // Hides the quad, removes the widget's texture (ordinary boxes), drops the owner and the
    // UV-set mark.
    void clear();
    // Keeps the stage's current picture as the box's own: a box whose widget lets go shows
    // it again, so its material is never left without a picture.
    void keepOwnTexture();
    // Shown only when on and owned: the quad then follows the owner's showIt.
    void setBoxDisplayed(bool on);
    // Shows or hides the quad whoever owns it.
    void showQuad(bool on);
    bool quadShown() const;
    // Null hides the quad (an ordinary box also goes back to its own picture); else the
    // texture goes to the stage and the quad shows as setBoxDisplayed(true).
    void setTexture(CtextureImage* texture);
    // The stage's current texture (null when none).
    CtextureImage* texture() const;
    // Corners from the rectangle, at the panel's quad depth less the offset.
    void setPosition(Crect const& r, float depthOffset);
    // As setPosition, cut to clipMinY..clipMaxY with the v coordinates following the cut.
    void setPositionClipped(Crect const& r, float clipMinY, float clipMaxY);
    // Boxes 0 to 2: every corner r g b a. Others: upper corners r g b a, lower r2 g2 b2 a
    // (or the upper colour when r2 is -1).
    void setColor(float r, float g, float b, float a, float r2, float g2, float b2);
    // Base UVs (0,0), (u,0), (0,v), (u,v), written to the mesh.
    void setBaseUV(float u, float v);
    void setCornerBaseUV(int corner, float u, float v);
    // The base UVs rotated by the accumulated rotation about (0.5, 0.5), to the mesh.
    void copyToUV();
    void rotateUV(float delta);
    // The corner's position (x, y, z), for tests and the panel.
    float const* cornerPosition(int corner) const { return corners[corner]; }
    float const* cornerUV(int corner) const { return uvs[corner]; }
    float const* cornerColor(int corner) const { return colours[corner]; }

    uint8_t boxNumber = 0;
    uint8_t available = 1;
    uint8_t uvSet = 0;
    float rotation = 0.0f;
    float* corners[4] = {};
    float baseUV[4][2] = {};
    float* uvs[4] = {};
    float* colours[4] = {};
    CrenderPolyGroup* polyGroup = nullptr;
    CwidgetVar* owner = nullptr;
    // The panel's quad depth.
    float const* quadDepth = nullptr;
    CtextureImage* ownTexture = nullptr; // one counted reference

  private:
    void writeUVs(float const (*uv)[2]);
};
