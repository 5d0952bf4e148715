// The OpenGL display device: one GL context per screen, the fixed GL state, the camera's
// matrices and viewport, clearing and presenting, textures and fog. Poly groups are drawn
// with GLSL programs (glShader.h) from vertex buffers (glBuffers.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/glBuffers.h"

#include "graphics/graphicsMaster.h"

class CglContext;
class CglslShader;
class Cmaterial;

// Everything one indexed draw needs, gathered from a poly group, its material and its
// work object's device data.
struct CdrawCall {
    CglslShader* shader = nullptr;
    CstreamLayout const* layout = nullptr;
    // The GL buffer of each stream (for the dynamic stream, this master frame's copy).
    uint32_t streamBuffers[3] = {0, 0, 0};
    int apiFormat = 0;
    int floatsPerPosition = 3;
    uint32_t indexBuffer = 0;
    int triangleCount = 0;
    int baseVertex = 0; // added to every index (a group whose indices were rebased)
    // Texture names of the material's stages, in unit order.
    uint32_t textures[8] = {};
    int textureCount = 0;
    bool transparent = false;
    bool alphaMult = true; // blend by source alpha rather than premultiplied
    bool ignoreDepthTest = false;
    bool interfaceThing = false; // flat projection, never faded
};

// The vertex streams a draw set up: what decides its attribute pointers.
struct CvertexStreamState {
    CstreamLayout const* layout = nullptr;
    uint32_t buffers[3] = {0, 0, 0};
    int apiFormat = 0;
    int floatsPerPosition = 0;
    bool operator==(CvertexStreamState const& o) const {
        return layout == o.layout && buffers[0] == o.buffers[0] && buffers[1] == o.buffers[1] &&
               buffers[2] == o.buffers[2] && apiFormat == o.apiFormat &&
               floatsPerPosition == o.floatsPerPosition;
    }
};

// The GL objects of one pair of shader texts on one display, shared by every material
// whose texts are the same (CglslShader holds them).
struct CglProgramSet {
    std::string key; // the vertex text, a zero byte, the fragment text
    int users = 0;
    uint32_t vertexShader = 0;
    uint32_t fragmentShader[2] = {0, 0};
    uint32_t program[2] = {0, 0};
    int32_t matrixLocation[2] = {-1, -1};
    int32_t fadeLocation = -1;
    int32_t samplerLocation[2][4] = {{-1, -1, -1, -1}, {-1, -1, -1, -1}};
    // Samplers given their unit so far, per variant (sampler i always names unit i).
    int samplersSet[2] = {0, 0};
};

class CopenGL : public CgraphicsAPI {
  public:
    CopenGL();
    // Frees what the context holds (release) while this is still a GL device.
    ~CopenGL() override;

    int applyNewWindowMetrics() override;
    bool contextIsAvailable() override { return context != nullptr; }
    int api() override { return 2; }
    int init(void*) override;
    // Frees the device objects while the context still exists.
    void release() override;
    int initialized() override { return 1; }
    // Makes this device's context current unless it already is; always records it as the
    // current device.
    int switchToThisRenderer(int tag) override;
    int reset() override { return 0; }
    int present(int) override;
    // Reads the limits and checks the two required extensions; 0 usable, 1 refused (with
    // the exit errors).
    int GetDeviceCapabilities() override;
    int RestoreDeviceObjects() override;
    void perFrameGraphicsSetup() override;
    void clearTheScreen(unsigned char) override;
    // Viewport and the projection matrices of this frame from the camera.
    void cameraToRenderer() override;
    void resetDepth() override { depthResetCount++; }
    void drawFlatStuff(Clist<CrenderPolyGroup*>& list) override;
    int geoToDisplay(CrenderPolyGroup* group) override;
    void freeTexture(CtextureImage* texture, int remove) override;
    // Uploads the array's bytes as this display's texture of the image; 0 done (also when
    // GL gives no name), 1 refused.
    int imageTotexMap(CtextureImage* texture, CdataArray* array) override;
    int getTexMultAdd() override { return 0; }
    int getTexModulate() override { return 0; }
    int getTexAdd() override { return 0; }
    int getTexReplace() override { return 0; }
    int getTexSubtract() override { return 0; }
    // A new, empty stream handler for a work object (its init lays the streams out).
    ClinkedResourceNode* initDeviceData(CworkObject*) override;
    void setFogFade(float fade) override;

    // Forgets every cached draw state and sets GL to the neutral state the cache assumes.
    void resetDrawState();
    // Forgets the attribute pointers set last (a buffer they may name is gone).
    void forgetVertexStreams() { lastStreams = CvertexStreamState{}; }
    // The programs already built here for these texts (null: none), counted as one user
    // more; and the record of programs just built, to share.
    CglProgramSet* shareProgramSet(char const* vertexText, char const* fragmentText);
    CglProgramSet* addProgramSet(char const* vertexText, char const* fragmentText);
    // One user less; at none the record is dropped and true returned (its GL objects are
    // the caller's to delete).
    bool releaseProgramSet(CglProgramSet* set);
    // Sets the state the call needs (only what differs from the cache, blending always)
    // and draws it, twice in stereo. 0 drawn; 1 nothing to draw.
    int drawPrepared(CdrawCall const& call);
    // The material's program on this display, made and registered on first use. Null when
    // it cannot be built ("couldn't init material <material> of <thing>" recorded); a
    // failed program stays in the slot and is not tried again.
    CglslShader* shaderForMaterial(Cmaterial* material, char const* thingName);
    // Fills the call's program, stage textures and blend and depth flags from the material.
    // 0 ready; 1 nothing to draw (an invisible material, no program, or a stage without a
    // texture, recorded as "blank").
    int prepareMaterialDraw(Cmaterial* material, char const* thingName, CworkObject* object, bool transparent,
                            bool interfaceThing, CdrawCall& call);

    float backingScale = 1.0f;
    // The context of this display (owned by the host); null means none.
    CglContext* context = nullptr;
    uint32_t primitiveType;
    int32_t texUnitsInUse = 5;
    int32_t depthResetCount = 0;
    Cshader* lastShader = nullptr;
    uint32_t enabledAttribMask = 0;
    uint8_t texUnitEnabled[8] = {};
    uint32_t boundTexture[8];
    uint32_t boundIndexBuffer = 0;
    // The program variant and projection last set with lastShader.
    int8_t lastVariant = -1;
    bool lastFlat = false;
    // The GL program in use, with the projection and fade its uniforms hold.
    uint32_t lastProgram = 0;
    bool lastProgramFlat = false;
    float lastProgramFade = -1.0f;
    CvertexStreamState lastStreams;
    int8_t blendState = -1;        // -1 unknown, 0 off, 1 source alpha, 2 premultiplied
    int8_t activeTextureUnit = -1; // -1 unknown
    // Shared programs by shader texts (see CglProgramSet); owned here.
    std::vector<CglProgramSet*> programSets;
};

// 1 when name is one whole space-separated word of the current context's extensions.
int CheckExtension(char const* name);
// Only reports whether a swap-control extension exists.
void setVSync(int on);
// When GL reports an error: traced, and the exit error names it; returns the GL code
// (0 when there was none).
unsigned checkGLerror(char const* where);

extern CopenGL* currentGL;
extern uint8_t doingOpenGL;
extern uint8_t canDoFade, canDoMultAdd, canDoDXtempResult, canReadRasterStatus;
extern Cstring glout;
extern int32_t geoToDisplaysThisFrame;
