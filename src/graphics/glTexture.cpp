// Textures, fog and the extension checks of the OpenGL device.
#include <algorithm>
#include <cstring>

#include "data/dataArray.h"
#include "graphics/graphicsGL.h"
#include "graphics/textureImage.h"
#include "host/glHeaders.h"
#include "support/cerr.h"

int CopenGL::imageTotexMap(CtextureImage* texture, CdataArray* array) {
    switchToThisRenderer(14);
    if (!array) {
        VTRACE(1, " couldn't find image file for texture load");
        recommendReinstall = 1;
        return 1;
    }
    int w = array->res[0], h = std::max(array->res[1], 1), chans = array->chans;
    static GLenum const formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    // Refused before any name is made: byte pixels of 1 to 4 channels that fit the device,
    // on a display that has a slot to keep the name in.
    char const* refusal = nullptr;
    if (!texture || !hasSlot())
        refusal = "no texture slot for this display";
    else if (array->dataType != 1 || !array->byteData || chans < 1 || chans > 4)
        refusal = "texture needs 1 to 4 channels of byte pixels";
    else if (w < 1 || w > maxTexWidth || h > maxTexHeight)
        refusal = "texture size outside the device's limits";
    else if (static_cast<long>(w) * h * chans > array->numElements * static_cast<long>(array->dataType))
        refusal = "texture pixels missing";
    if (refusal) {
        VTRACE(1, refusal << ": " << w << "x" << h << " c=" << chans);
        return 1;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    VTRACE(2, "glGenTextures=" << name << " " << this << " api=" << api());
    if (name == 0) {
        VTRACE(2, "loadGL returning 0");
        return 0;
    }
    setTextureHandle(texture, name);
    glBindTexture(GL_TEXTURE_2D, name);
    boundTexture[0] = ~0u; // the cache no longer knows what unit 0 holds
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (chans == 1) VTRACE(2, "luminance tex");
    if (chans == 2) VTRACE(2, "luminanceAlpha tex");
    GLenum format = formats[chans - 1];
    // Rows are packed: a row of 1 to 3 channels need not fill a multiple of four bytes.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE,
                 array->byteData);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    registerTexture(texture);
    return 0;
}

void CopenGL::freeTexture(CtextureImage* texture, int remove) {
    switchToThisRenderer(15);
    GLuint name = textureHandle(texture);
    if (!name) return;
    VTRACE(2, "freeing GL texture data " << name);
    glDeleteTextures(1, &name);
    for (uint32_t& bound : boundTexture)
        if (bound == name) bound = ~0u;
    if (remove) removeTexture(texture);
    VTRACE(2, "del dev tx");
    setTextureHandle(texture, 0);
    VTRACE(2, "done");
    VTRACE(2, "end free tex");
}

void CopenGL::setFogFade(float fade) {
    VTRACE(2, "fogend=" << getFogEnd(fade, -1000.0f).offset);
    fade = std::clamp(fade, 0.0f, 1.0f);
    if (fade >= 0.999f) {
        glDisable(GL_FOG);
        return;
    }
    static GLfloat const black[4] = {0, 0, 0, 1};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 25.0f);
    glFogf(GL_FOG_DENSITY, 0.5f);
}

int CheckExtension(char const* name) {
    auto all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    if (!all || !name || !*name) return 0;
    size_t length = std::strlen(name);
    for (char const* p = all; (p = std::strstr(p, name)) != nullptr; p += length) {
        bool starts = p == all || p[-1] == ' ';
        bool ends = p[length] == ' ' || p[length] == 0;
        if (starts && ends) return 1;
    }
    return 0;
}

void setVSync(int) {
    auto all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    bool found = all && std::strstr(all, "WGL_EXT_swap_control");
    VTRACE(2, (found ? "VSYNC option found" : "VSYNC not found"));
}

unsigned checkGLerror(char const* where) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return 0;
    char const* name = "GL error";
    switch (error) {
    case GL_INVALID_ENUM:
        name = "GL_INVALID_ENUM";
        break;
    case GL_INVALID_VALUE:
        name = "GL_INVALID_VALUE";
        break;
    case GL_INVALID_OPERATION:
        name = "GL_INVALID_OPERATION";
        break;
    case GL_STACK_OVERFLOW:
        name = "GL_STACK_OVERFLOW";
        break;
    case GL_STACK_UNDERFLOW:
        name = "GL_STACK_UNDERFLOW";
        break;
    case GL_OUT_OF_MEMORY:
        name = "GL_OUT_OF_MEMORY";
        break;
    default:
        break;
    }
    VTRACE(1, "GL error " << error << " at " << (where ? where : ""));
    setExitError(name, 1);
    return error;
}
