// Materials: the look of one group of a model's polygons.
//
// A material is a small script ("<model folder>/materials/<name>.mat") that adds texture
// stages, sets blend, depth and sort options, says which vertex stream carries each
// attribute, and holds the vertex and fragment shader text. After the script has run the
// vertex text is rewritten into the form the device compiles. The device reads the state
// held here; nothing in this class talks to the graphics library.
#pragma once

#include <cstdint>

#include "graphics/materialOwner.h"
#include "graphics/streamChans.h"
#include "variables/safeRelationship.h"

class CscriptVar;
class Cshader;
class CtextureStage;

// Bits of Cmaterial::shaderMode (also the script constants ~GLES, ~POS, ~COLOR, ~TEX2).
enum : int16_t {
    SHADER_GLES = 1,  // strip precision words
    SHADER_POS = 2,   // expand "pos_func"
    SHADER_COLOR = 4, // expand "color_func"
    SHADER_TEX2 = 8,  // expand "tex2_func"
};

// Every material read so far; the next one takes its low 16 bits as its number.
extern int32_t masterMaterialNum;

class Cmaterial : public CsafeRelationship {
  public:
    // Defaults, the "texStages" directory and the registered variables; POSITION dynamic.
    Cmaterial();
    ~Cmaterial() override;
    void writeSaveString(std::ostream& out) override;
    // The material script commands; anything else climbs to the parent.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // ~GLES, ~POS, ~COLOR, ~TEX2 for the script; 1 for any other name.
    int getLocalConstant(Cstring name, double& value) override;
    // A script may delete "texStages": the material then has none.
    void childLeaving(Cvariable* child) override;

    // Moves the attribute bits of mask into stream (out of the other three kept streams;
    // REMOVE is never cleared). Returns stream.
    short addStreamChan(short stream, short mask);
    // Reads "<path>/materials/<name>.mat" (path: the directory path the model set), numbers
    // the material and runs the script. 0 read; 1 failed (recorded).
    int readFromDiskPath();
    // Runs a parsed material script on the material, then rewrites the shader text and
    // counts the stages (the second half of readFromDiskPath). 0 read; 1 failed.
    int readFromScript(CscriptVar& script);
    // Rewrites vertexShader (and strips fragShader under GLES) for the model's vertex
    // format. 0 done; 1 without a model (recorded, text untouched).
    int rewriteVertexShader();
    // Stage i in order of addition; null when there is none.
    CtextureStage* getStage(int i);

    CdirectoryVar* texStages = nullptr;
    Cshader* shaders[8] = {};
    Cstring sourceFile; // the material script it was read from; empty for one built otherwise
    short materialID = 0;
    CmaterialOwner* texGeo = nullptr;
    uint8_t hasColor = 0;
    uint8_t doLighting = 0;
    uint8_t additive = 0;
    uint8_t ignoreDepthWrite = 0;
    uint8_t visible = 1;
    uint8_t doAlphaMultWhenTransparent = 1;
    int8_t numStages = 0;
    uint8_t ignoreDepthTest = 0;
    short shaderMode = 0;
    short doShader = 0;
    short skipPOVtest = 0;
    uint16_t streamChans[STREAM_COUNT] = {0, 0, 0, 0};
    int32_t alphaStage = 0;
    float sortPosition = 0.0f;
    float shaderColorMult = 1.0f;
    Cstring vertexShader;
    Cstring fragShader;
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};

  private:
    // Takes out of "texStages" what a script put there that is no stage, and numbers the
    // stages left by place, as they are looked up.
    void keepOnlyStages();
    unsigned addStage(CscriptLine& line);
    unsigned streamCommand(short stream, Cstring const& word);
    unsigned specularReflection(CscriptLine& line, std::vector<Cstring> const& s,
                                std::vector<float> const& n);
    // Records a missing argument of the command; always CMD_STOP.
    unsigned missingArgument(CscriptLine& line);
};
