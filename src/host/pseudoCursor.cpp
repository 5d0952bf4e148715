#include "host/pseudoCursor.h"

#include <cstdio>
#include <utility>

#include "host/glContext.h"
#include "host/glHeaders.h"

CpseudoCursor::CpseudoCursor(std::vector<uint8_t> picture, int w, int h, double hotX, double hotY,
                             CglContext* glContext)
    : hotSpotX(hotX), hotSpotY(hotY), image(std::move(picture)), imageW(w), imageH(h), context(glContext) {}

CpseudoCursor::~CpseudoCursor() {
    deleteTexture();
}

void CpseudoCursor::setImage(std::vector<uint8_t> picture, int w, int h) {
    deleteTexture();
    image = std::move(picture);
    imageW = w;
    imageH = h;
}

void CpseudoCursor::deleteTexture() {
    if (texture && textureContext && textureContext->makeCurrent() == 0) glDeleteTextures(1, &texture);
    texture = 0;
    textureContext = nullptr;
    texW = texH = 0;
}

void CpseudoCursor::genTexture() {
    deleteTexture();
    if (image.empty() || imageW < 1 || imageH < 1 || image.size() != size_t(imageW) * size_t(imageH) * 4)
        return;
    // The texture belongs to the view's context: made there, whatever was current before.
    if (!context || (!context->isCurrent() && context->makeCurrent() != 0)) {
        std::fprintf(stderr, "GLPseudoCursor %s: Failure to get current OpenGL context\n", "genTexture");
        return;
    }
    texW = imageW;
    texH = imageH;
    textureContext = context;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_RECTANGLE, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_RECTANGLE, 0, GL_RGBA, imageW, imageH, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.data());
    glBindTexture(GL_TEXTURE_RECTANGLE, 0);
}

void CpseudoCursor::drawWithBounds(double x, double y, double w, double h) {
    if (!texture) genTexture();
    if (!texture) return;
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_RECTANGLE);
    glBindTexture(GL_TEXTURE_RECTANGLE, texture);
    double ox = x - hotSpotX, oy = y - hotSpotY;
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(ox, oy);
    glTexCoord2d(0, texH);
    glVertex2d(ox, oy + h);
    glTexCoord2d(texW, texH);
    glVertex2d(ox + w, oy + h);
    glTexCoord2d(texW, 0);
    glVertex2d(ox + w, oy);
    glEnd();
    glBindTexture(GL_TEXTURE_RECTANGLE, 0);
    glDisable(GL_TEXTURE_RECTANGLE);
}

void CpseudoCursor::drawAtPoint(double x, double y) {
    if (!texture) genTexture();
    if (!texture) return;
    drawWithBounds(x, y, texW, texH);
}

void drawCursor(CpseudoCursor& cursor, double x, double y, double frameW, double frameH) {
    GLboolean depthWasOn = glIsEnabled(GL_DEPTH_TEST);
    double flippedY = frameH - y;
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA); // the picture is premultiplied
    glEnable(GL_TEXTURE_RECTANGLE);
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, frameW, frameH, 0, -1, 1);
    glColor4f(1, 1, 1, 1);
    cursor.drawAtPoint(x, flippedY);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));
    glDisable(GL_TEXTURE_RECTANGLE);
    glDisable(GL_BLEND);
    if (depthWasOn) glEnable(GL_DEPTH_TEST);
}

CarrowPicture arrowPicture() {
    // A black arrow with a white edge: the tip at the top left, 11 x 17 pixels.
    static char const* const rows[] = {
        "W..........", "WW.........", "WBW........", "WBBW.......", "WBBBW......", "WBBBBW.....",
        "WBBBBBW....", "WBBBBBBW...", "WBBBBBBBW..", "WBBBBBBBBW.", "WBBBBBWWWWW", "WBBWBBW....",
        "WBW.WBBW...", "WW..WBBW...", "W....WBBW..", ".....WBBW..", "......WW...",
    };
    CarrowPicture p{{}, 11, 17, 0.0, 0.0};
    for (char const* row : rows)
        for (int x = 0; x < p.w; x++) {
            uint8_t value = row[x] == 'W' ? 255 : 0;
            uint8_t alpha = row[x] == '.' ? 0 : 255;
            p.rgba.insert(p.rgba.end(), {value, value, value, alpha});
        }
    return p;
}
