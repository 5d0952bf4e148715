// The pointer drawn into the GL frame: when the engine wants a visible pointer the view
// draws this picture, held as a rectangle texture, with its hot spot on the pointer
// position; the system's pointer over the program's window is hidden meanwhile.
#pragma once

#include <cstdint>
#include <vector>

class CglContext;

class CpseudoCursor {
  public:
    // picture: w x h RGBA, top row first, colour premultiplied by alpha; the hot spot is
    // counted from the picture's top-left corner. context is where the texture is made.
    CpseudoCursor(std::vector<uint8_t> picture, int w, int h, double hotX, double hotY, CglContext* context);
    ~CpseudoCursor();
    CpseudoCursor(CpseudoCursor const&) = delete;
    CpseudoCursor& operator=(CpseudoCursor const&) = delete;

    // Replaces the picture (same rules); the texture is made again at the next draw.
    void setImage(std::vector<uint8_t> picture, int w, int h);
    // Makes the texture from the picture in the context (made current when it is not).
    void genTexture();
    // Deletes the texture in its context, when there is one.
    void deleteTexture();
    // Draws the picture stretched over (x, y, w, h) of a y-down space, hot spot on (x, y).
    void drawWithBounds(double x, double y, double w, double h);
    // Draws the picture at its own size with the hot spot on (x, y) of a y-down space.
    void drawAtPoint(double x, double y);

    unsigned texName() const { return texture; }
    double texWidth() const { return texW; }
    double texHeight() const { return texH; }
    double hotSpotX, hotSpotY;

  private:
    std::vector<uint8_t> image;
    int imageW, imageH;
    CglContext* context;
    CglContext* textureContext = nullptr;
    unsigned texture = 0;
    double texW = 0, texH = 0;
};

// The arrow picture of the pointer (made here, not read from a file): w x h RGBA, top
// row first, premultiplied; hot spot at its tip.
struct CarrowPicture {
    std::vector<uint8_t> rgba;
    int w, h;
    double hotX, hotY;
};
CarrowPicture arrowPicture();

// Draws the cursor with its hot spot on (x, y), a point of a view frameW x frameH whose y
// grows upward; leaves depth testing, blending, rectangle texturing, both matrices and the
// matrix mode as they were.
void drawCursor(CpseudoCursor& cursor, double x, double y, double frameW, double frameH);
