// A material's GLSL programs on one display, in two variants: 0 as written, and 1 that
// multiplies the fragment colour by the uniform "fade" (the scene's brightness).
#pragma once

#include <cstdint>

#include "graphics/shader.h"

struct CglProgramSet;

class CglslShader : public Cshader {
  public:
    // Frees the GL objects it still holds.
    ~CglslShader() override;
    // Builds both variants from the material's texts; 0 success, 1 failure (recorded).
    // Remembers the device and the material, whose slot for the display it clears when
    // freed. Programs of the same texts already built on an OpenGL device are shared.
    int initialize(CgraphicsAPI* device, Cmaterial* material) override;
    // initialize from texts alone; name only labels the traces.
    int build(CgraphicsAPI* device, char const* name, char const* vertexText, char const* fragmentText);
    // Deletes the programs and shaders (once; later calls do nothing; shared ones when
    // their last user lets go) and clears the material's slot.
    void freeShader() override;

    // Links variant's program from the compiled vertex shader and the fragment text;
    // 0 success, 1 failure (recorded).
    int makeProgram(unsigned vertex, char const* fragmentText, int variant);
    // The fade variant of a fragment text: the multiply goes in before the last "}".
    // False when the text has no "}".
    static bool fadeVariantText(char const* fragmentText, Cstring& out);

    uint32_t vertexShader = 0;
    uint32_t fragmentShader[2] = {0, 0};
    uint32_t program[2] = {0, 0};
    int32_t matrixLocation[2] = {-1, -1};
    int32_t fadeLocation = -1;
    int32_t samplerLocation[2][4] = {{-1, -1, -1, -1}, {-1, -1, -1, -1}};
    // The display's shared record of these objects (null: built without an OpenGL device,
    // or not built); the objects above are copies of its ids.
    CglProgramSet* programs = nullptr;
};

// Compiles one shader of kind from text; its id, or -1 (deleted, log traced) when the
// compile fails.
int createShader(unsigned kind, char const** text);

// Attribute indices the programs bind their inputs to.
enum : unsigned {
    ATTRIB_POSITION = 0,
    ATTRIB_COLOR = 1,
    ATTRIB_TEX0 = 2,
    ATTRIB_TEX1 = 3,
    ATTRIB_NORMAL = 4,
    ATTRIB_SPECULAR = 5,
};
