// The per-draw GL state of the OpenGL device: rasterisation, depth and blending, the
// program and its uniforms, vertex attributes, texture units, and the indexed draw.
#include <algorithm>

#include "graphics/glBuffers.h"
#include "graphics/glShader.h"
#include "graphics/graphicsGL.h"
#include "graphics/glDeviceData.h"
#include "graphics/material.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "host/glHeaders.h"
#include "support/cerr.h"
#include "support/resourceCopy.h"

namespace {

// Attribute set-up order within a stream.
int const attribOrder[CHANNEL_COUNT] = {CHANNEL_POSITION, CHANNEL_DIFFUSE, CHANNEL_SPECULAR,
                                        CHANNEL_TEX0,     CHANNEL_TEX1,    CHANNEL_NORMAL};

void setMatrix(int32_t location, ESMatrix const& m) {
    if (location >= 0) glUniformMatrix4fv(location, 1, GL_FALSE, &m.m[0][0]);
}

} // namespace

int CopenGL::drawPrepared(CdrawCall const& call) {
    CglslShader* shader = call.shader;
    // Nothing to draw: no program, no triangles or no points (an empty stream).
    if (!shader || !call.layout || call.triangleCount < 1 || !call.indexBuffer) return 1;
    CstreamLayout const& layout = *call.layout;
    for (int s = 0; s < 3; s++)
        if (layout.streamMask[s] && !call.streamBuffers[s]) return 1;

    // Rasterisation.
    bool blend, depthTest, depthWrite;
    if (wireframe) {
        if (polygonModeState != 1) {
            polygonModeState = 1;
            primitiveType = GL_TRIANGLES;
            texturesOn = 1;
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        }
        blend = depthTest = depthWrite = false;
    } else {
        blend = call.transparent;
        depthWrite = !call.transparent;
        depthTest = !call.ignoreDepthTest;
        if (polygonModeState != 0) {
            polygonModeState = 0;
            primitiveType = GL_TRIANGLES;
            texturesOn = 1;
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            glPolygonMode(GL_BACK, GL_FILL);
        }
    }
    if (depthTestState != static_cast<uint8_t>(depthTest)) {
        if (depthTest)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        depthTestState = depthTest;
    }
    if (depthWriteState != static_cast<int8_t>(depthWrite)) {
        glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
        depthWriteState = depthWrite;
    }
    // -1 unknown, 0 off, 1 on by source alpha, 2 on premultiplied.
    int8_t blendWanted = blend ? (call.alphaMult ? 1 : 2) : 0;
    if (blendState != blendWanted) {
        if (!blend) {
            glDisable(GL_BLEND);
        } else {
            if (blendState <= 0) glEnable(GL_BLEND);
            glBlendFunc(call.alphaMult ? GL_SRC_ALPHA : GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        }
        blendState = blendWanted;
    }

    // Program and matrix; the fade variant while the scene is dimmed, except for the
    // interface.
    int variant = masterMult < 0.999f && !call.interfaceThing ? 1 : 0;
    if (shader != lastShader || variant != lastVariant || call.interfaceThing != lastFlat || stereoMode) {
        lastShader = shader;
        lastVariant = static_cast<int8_t>(variant);
        lastFlat = call.interfaceThing;
        totalMaterialChanges++;
        // Materials of the same shader texts share their program: switching between them
        // changes no GL state unless the projection or the fade changed since.
        uint32_t program = shader->program[variant];
        bool same = program == lastProgram && !stereoMode && call.interfaceThing == lastProgramFlat &&
                    (variant == 0 || lastProgramFade == masterMult);
        if (!same) {
            glUseProgram(program);
            setMatrix(shader->matrixLocation[variant], call.interfaceThing ? flatProjection : viewProjection);
            if (variant == 1 && shader->fadeLocation >= 0) glUniform1f(shader->fadeLocation, masterMult);
            lastProgram = program;
            lastProgramFlat = call.interfaceThing;
            lastProgramFade = masterMult;
        }
    }

    // Vertex attributes from the streams: set again only when the buffers or their layout
    // differ from the last draw's (the groups of one work object share their streams).
    CvertexStreamState streams{call.layout,
                               {call.streamBuffers[0], call.streamBuffers[1], call.streamBuffers[2]},
                               call.apiFormat,
                               call.floatsPerPosition};
    if (!(streams == lastStreams)) {
        uint32_t mask = layout.allMask;
        for (unsigned a = 0; a < 6; a++)
            if ((enabledAttribMask & (1u << a)) && !(mask & (1u << a))) glDisableVertexAttribArray(a);
        for (int s = 0; s < 3; s++) {
            if (!layout.streamMask[s]) continue;
            glBindBuffer(GL_ARRAY_BUFFER, call.streamBuffers[s]);
            GLsizei stride = static_cast<GLsizei>(layout.strideFloats[s] * 4);
            for (int c : attribOrder) {
                if (layout.stream[c] != s) continue;
                CattribFormat f = attribFormat(c, call.apiFormat, call.floatsPerPosition);
                glVertexAttribPointer(
                    f.index, f.components, f.type, f.normalized ? GL_TRUE : GL_FALSE, stride,
                    reinterpret_cast<void const*>(static_cast<uintptr_t>(layout.offset[c])));
                if (!(enabledAttribMask & (1u << f.index))) glEnableVertexAttribArray(f.index);
            }
        }
        enabledAttribMask = mask;
        lastStreams = streams;
    }

    // Texture units: one per stage; each program's samplers name units 0 to 3 from its
    // link on.
    int n = std::clamp(call.textureCount * texturesOn, 0, 8);
    auto selectUnit = [this](int unit) {
        if (activeTextureUnit != unit) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            activeTextureUnit = static_cast<int8_t>(unit);
        }
    };
    for (int i = 0; i < n; i++) {
        if (!texUnitEnabled[i]) {
            selectUnit(i);
            glEnable(GL_TEXTURE_2D);
            texUnitEnabled[i] = 1;
        }
        if (boundTexture[i] != call.textures[i]) {
            selectUnit(i);
            glBindTexture(GL_TEXTURE_2D, call.textures[i]);
            boundTexture[i] = call.textures[i];
        }
    }
    for (int i = n; i < texUnitsInUse && i < 8; i++) {
        selectUnit(i);
        glDisable(GL_TEXTURE_2D);
        texUnitEnabled[i] = 0;
        boundTexture[i] = ~0u;
    }
    texUnitsInUse = n;
    selectUnit(0);
    // A sampler keeps its unit in its program: each is set once (in the program in use).
    int samplers = std::min(n, 4);
    int unshared = 0;
    int& samplersSet = shader->programs ? shader->programs->samplersSet[variant] : unshared;
    for (; samplersSet < samplers; samplersSet++)
        if (shader->samplerLocation[variant][samplersSet] >= 0)
            glUniform1i(shader->samplerLocation[variant][samplersSet], samplersSet);

    if (boundIndexBuffer != call.indexBuffer) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, call.indexBuffer);
        boundIndexBuffer = call.indexBuffer;
    }
    GLsizei count = 3 * call.triangleCount;
    auto drawElements = [&] {
        if (call.baseVertex)
            glDrawElementsBaseVertex(primitiveType, count, GL_UNSIGNED_SHORT, nullptr, call.baseVertex);
        else
            glDrawElements(primitiveType, count, GL_UNSIGNED_SHORT, nullptr);
    };
    if (!stereoMode) {
        drawElements();
        return 0;
    }
    // Over/under stereo: the first eye in the lower half, the second in the upper.
    GLsizei w = static_cast<GLsizei>(width), half = static_cast<GLsizei>(height * 0.5f);
    glViewport(0, 0, w, half);
    drawElements();
    if (!call.interfaceThing) setMatrix(shader->matrixLocation[variant], secondEyeViewProjection);
    glViewport(0, half, w, half);
    drawElements();
    return 0;
}

CglslShader* CopenGL::shaderForMaterial(Cmaterial* material, char const* thingName) {
    if (!material || !hasSlot() || displayIndex >= maxDisplays) return nullptr;
    Cshader*& slot = material->shaders[displayIndex];
    if (!slot) {
        auto* made = new CglslShader;
        made->linkTo(this); // freeing the device frees it
        slot = made;
        made->material = material;
        shaders.push_back(made);
        // Building may leave no program in use.
        lastShader = nullptr;
        lastProgram = 0;
        if (made->initialize(this, material) != 0) {
            Cstring message = Cstring("couldn't init material ") + material->getName() + " of " +
                              (thingName ? thingName : "");
            // Its file, named as the installed one when that is what fails.
            Cstring const& file = material->sourceFile;
            Cstring installed = installedResource(file.c_str());
            if (!file.empty() && failsAsInstalled(file.c_str()))
                message += Cstring(": the installed file ") + (installed.empty() ? file : installed) +
                           " fails to load";
            else if (!file.empty())
                message += Cstring(" (its file ") + file + ")";
            setExitError(message, 1);
        }
    }
    auto* shader = static_cast<CglslShader*>(slot);
    return shader->program[0] && shader->program[1] ? shader : nullptr;
}

int CopenGL::prepareMaterialDraw(Cmaterial* material, char const* thingName, CworkObject* object,
                                 bool transparent, bool interfaceThing, CdrawCall& call) {
    if (!material) {
        VTRACE(1, "NO MATERIAL!!!");
        return 1;
    }
    if (!material->visible) return 1;
    call.shader = shaderForMaterial(material, thingName);
    if (!call.shader) return 1;
    call.transparent = transparent;
    call.alphaMult = material->doAlphaMultWhenTransparent != 0;
    call.ignoreDepthTest = material->ignoreDepthTest != 0;
    call.interfaceThing = interfaceThing;
    int stages = std::clamp(static_cast<int>(material->numStages), 0, 8);
    call.textureCount = 0;
    for (int i = 0; i < stages; i++) {
        uint32_t texture = fetchTexture(material->getStage(i), object);
        if (!texture) {
            VTRACE(1, "blank");
            setExitError("blank", 1);
            return 1;
        }
        call.textures[i] = texture;
        call.textureCount = i + 1;
    }
    return 0;
}

int CopenGL::geoToDisplay(CrenderPolyGroup* group) {
    if (!group) {
        resetDrawState();
        return 0;
    }
    CworkObject* object = group->owner;
    if (object && graphicsHooks.thingTearingDown && graphicsHooks.thingTearingDown(object)) {
        VTRACE(1, "SKIP THIS");
        return 0;
    }
    // Drawn at most once per display and frame.
    if (!(group->passBits & displayBit)) return 0;
    group->passBits = static_cast<uint8_t>(group->passBits & ~displayBit);
    for (int i = 0; i < group->predecessorCount; i++) // only this frame's: older entries are stale
        geoToDisplay(group->predecessors[i]);
    geoToDisplaysThisFrame++;

    CpolyGroupSet* set = group->set;
    CpolyGroupDefinition* definition = group->definition;
    Cmaterial* material = set ? set->material : nullptr;
    if (!material) {
        VTRACE(1, "NO MATERIAL!!!");
        return 1;
    }
    if (!material->visible || !object || !definition || !hasSlot() || displayIndex >= kPolyGroupDisplays)
        return 0;
    bool interface = graphicsHooks.interfaceThing && graphicsHooks.interfaceThing(object);
    char const* thingName = object->thing ? object->thing->skeletonOwnerName() : object->getName().c_str();
    CdrawCall call;
    if (prepareMaterialDraw(material, thingName, object, set->transparent != 0, interface, call) != 0)
        return 0;

    auto* data =
        static_cast<CworkObjectGraphicsDeviceDataHandlerOpenGL*>(object->getDeviceDataStructure(this));
    if (!data) return 0;
    // The first draw here uploads every view of the group, so a later change of view (a
    // fish turning) makes no buffer in the middle of a frame.
    if (definition->indexData[displayIndex] == nullptr)
        for (CpolyGroupDefinition* view : set->variations)
            if (view != definition)
                fetchIndexBuffer(this, view->indexData[displayIndex], view->allTriangleIndices.data(),
                                 view->allTriangleCount);
    call.indexBuffer = fetchIndexBuffer(this, definition->indexData[displayIndex],
                                        definition->allTriangleIndices.data(), definition->allTriangleCount);
    call.triangleCount = definition->allTriangleCount;
    call.baseVertex = definition->minVertex;
    // Once per frame this device draws: the master frame stands still while the tank is
    // paused, and the interface, which goes on moving, must still reach the card.
    data->updateVertexData(framesRendered);
    data->fillDrawCall(call);
    drawPrepared(call);
    return 0;
}
