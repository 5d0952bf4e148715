// Materials: construction, stream masks and reading the material script.
#include "graphics/material.h"

#include <fstream>
#include <vector>

#include "graphics/deviceGlobals.h"
#include "graphics/shader.h"
#include "graphics/textureStage.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"

int32_t masterMaterialNum = 0;

namespace {

struct AttribWord {
    char const* word;
    uint16_t chan;
};
constexpr AttribWord attribWords[] = {
    {"pos", CHAN_POSITION}, {"color", CHAN_DIFFUSE}, {"diffuse", CHAN_DIFFUSE}, {"uv", CHAN_TEX1},
    {"uvB", CHAN_TEX2},     {"normal", CHAN_NORMAL}, {"spec", CHAN_SPECULAR},   {"mat2blend", CHAN_MAT2BLEND},
};

} // namespace

uint16_t attribWordToChan(char const* word) {
    Cstring w(word ? word : "");
    for (AttribWord const& a : attribWords) {
        if (w == a.word) return a.chan;
    }
    return 0;
}

Cstring attribMaskNames(uint16_t mask) {
    static constexpr struct {
        uint16_t chan;
        char const* name;
    } names[] = {{CHAN_POSITION, "POSITION "},  {CHAN_DIFFUSE, "DIFFUSE "}, {CHAN_TEX1, "TEX1 "},
                 {CHAN_TEX2, "TEX2 "},          {CHAN_NORMAL, "NORMAL "},   {CHAN_SPECULAR, "SPECULAR "},
                 {CHAN_MAT2BLEND, "MAT2BLEND "}};
    Cstring out;
    for (auto const& n : names) {
        if (mask & n.chan) out += n.name;
    }
    return out;
}

Cmaterial::Cmaterial() {
    doShader = GLSL;
    addStreamChan(STREAM_DYNAMIC, CHAN_POSITION);
    texStages = addDirectory("texStages", 0);
    registerShort(materialID, "materialID", 0);
    registerShort(skipPOVtest, "skipPOVtest", 0);
    registerShort(doShader, "doShader", 0);
    registerShort(shaderMode, "shaderMode", 0);
    registerString(vertexShader, "vertexShader", 0);
    registerString(fragShader, "fragShader", 0);
    registerFloat(shaderColorMult, "shaderColorMult", 0);
}

Cmaterial::~Cmaterial() {
    VTRACE(2, "deleting material " << name << " " << static_cast<void const*>(this));
    for (Cshader*& shader : shaders) {
        if (shader) shader->material = nullptr; // the program outlives us on its device
        shader = nullptr;
    }
    texStages = nullptr;
}

void Cmaterial::writeSaveString(std::ostream& out) {
    out << ":material " << name;
}

int Cmaterial::getLocalConstant(Cstring constantName, double& value) {
    static constexpr struct {
        char const* name;
        double value;
    } constants[] = {
        {"GLES", SHADER_GLES}, {"POS", SHADER_POS}, {"COLOR", SHADER_COLOR}, {"TEX2", SHADER_TEX2}};
    for (auto const& c : constants) {
        if (constantName == c.name) {
            value = c.value;
            return 0;
        }
    }
    return 1;
}

short Cmaterial::addStreamChan(short stream, short mask) {
    VTRACE(1, "add stream chan stream:" << stream << " mask:" << mask);
    if (stream < 0 || stream >= STREAM_COUNT) {
        VTRACE(1, "no stream " << stream);
        return stream;
    }
    for (int s = STREAM_STATIC; s <= STREAM_STATIC_UNIQUE; s++)
        streamChans[s] &= static_cast<uint16_t>(0x3FFF - mask);
    streamChans[stream] |= static_cast<uint16_t>(mask);
    return stream;
}

void Cmaterial::childLeaving(Cvariable* child) {
    if (child == texStages) texStages = nullptr;
    CsafeRelationship::childLeaving(child);
}

// A stray node (":mkdir texStages/x") would stand where the device looks for a stage and
// give it no texture; a deleted stage would leave the later ones off by one.
void Cmaterial::keepOnlyStages() {
    if (texStages == nullptr) return;
    std::vector<Cvariable*> children;
    texStages->fillVectorWithAllChildren(children);
    int16_t place = 0;
    for (Cvariable* child : children) {
        if (auto* stage = dynamic_cast<CtextureStage*>(child)) {
            stage->stageNum = place++;
        } else {
            VTRACE(1, "not a texture stage, left out of material " << name << ": " << child->getName());
            deleteVariable(child);
        }
    }
}

CtextureStage* Cmaterial::getStage(int i) {
    Cvariable* v = texStages ? texStages->getChildNoErr(i) : nullptr;
    return dynamic_cast<CtextureStage*>(v);
}

int Cmaterial::readFromDiskPath() {
    materialID = static_cast<short>(masterMaterialNum & 0xFFFF);
    masterMaterialNum++;
    alphaStage = 0;
    visible = 1;

    Cstring folder = getDiskPath();
    Cstring path = folder + "/materials/" + name + ".mat";
    ignoreDepthTest = 0;
    setDiskPath(folder + "/arrays");
    VTRACE(2, getDiskPath());
    VTRACE(2, "new material: " << name);

    sourceFile = replaceCommonPathKeyword(path);
    CscriptVar script;
    if (script.processDiskScript(path.c_str()) != 0) {
        recommendReinstall = 1;
        setExitError("couldn't open material", 1);
        VTRACE(1, "couldn't open material!");
        return 1;
    }
    return readFromScript(script);
}

int Cmaterial::readFromScript(CscriptVar& script) {
    int failed = runScript(this, &script);
    keepOnlyStages(); // also after a failure: the material stays whole
    if (failed != 0) {
        recommendReinstall = 1;
        VTRACE(1, "couldn't run materialscript");
        return 1;
    }
    if (!vertexShader.empty() && rewriteVertexShader() != 0) return 1;

    numStages = static_cast<int8_t>(texStages ? texStages->countChildren() : 0);
    VTRACE(2, "material chans " << name);
    VTRACE(2, "chans DYNAMIC:" << attribMaskNames(streamChans[STREAM_DYNAMIC]));
    VTRACE(2, "chans STATIC:" << attribMaskNames(streamChans[STREAM_STATIC]));
    VTRACE(2, "chans STATIC_UNIQUE:" << attribMaskNames(streamChans[STREAM_STATIC_UNIQUE]));
    VTRACE(2, "chans REMOVE:" << attribMaskNames(streamChans[STREAM_REMOVE]));
    return 0;
}
