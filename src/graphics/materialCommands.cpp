// The material script commands.
#include <cstdio>
#include <vector>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/numberLimits.h"
#include "graphics/deviceGlobals.h"
#include "graphics/material.h"
#include "graphics/textureStage.h"
#include "script/scripter.h"
#include "support/cerr.h"

namespace {

// Arguments each command reads; fewer refuse the line.
struct ArgumentCount {
    char const* command;
    int count;
};
constexpr ArgumentCount argumentCounts[] = {
    {"vshader", 1},
    {"fshader", 1},
    {"color", 3},
    {"normalsToTexture", 1},
    {"oneColorChannelToAll", 1},
    {"dontUpdate", 1},
    {"static", 1},
    {"static_unique", 1},
    {"dynamic", 1},
    {"removeAttrib", 1},
    {"reflectionTexScale", 1},
    {"specularColorReflection", 1},
    {"specularColorReflectionChan", 1},
    {"shiftTex", 3},
    {"doLighting", 1},
    {"additive", 1},
    {"doAlphaMultWhenTransparent", 1},
    {"sortPosition", 1},
};

int argumentsNeeded(Cstring const& command) {
    for (ArgumentCount const& a : argumentCounts) {
        if (command == a.command) return a.count;
    }
    return 0;
}

// Commands that are accepted and change nothing.
constexpr char const* ignoredCommands[] = {"doAlphaMultWhenOpaque", "lighting",    "neverWireframe",
                                           "pointColors",           "transparent", "normals"};

struct StreamWord {
    char const* command;
    short stream;
};
constexpr StreamWord streamWords[] = {{"dontUpdate", STREAM_STATIC},
                                      {"static", STREAM_STATIC},
                                      {"static_unique", STREAM_STATIC_UNIQUE},
                                      {"dynamic", STREAM_DYNAMIC},
                                      {"removeAttrib", STREAM_REMOVE}};

uint8_t toByte(float v) {
    return static_cast<uint8_t>(truncatedWithin(v));
}

} // namespace

unsigned Cmaterial::missingArgument(CscriptLine& line) {
    char message[512];
    std::snprintf(message, sizeof message, "missing argument of %s in material %s", line.name.c_str(),
                  name.c_str());
    setExitError(message, 1);
    return CMD_STOP;
}

unsigned Cmaterial::processCommand(CscriptHandler* handler, CscriptLine& line) {
    std::vector<Cstring> s;
    std::vector<float> n;
    Cstring command = line.digestLine(s, n);
    if (static_cast<int>(s.size()) < argumentsNeeded(command)) return missingArgument(line);
    float n0 = n.empty() ? 0.0f : n[0];
    Cstring s0 = s.empty() ? Cstring() : s[0];

    if (command == "addStage") return addStage(line);
    if (command == "GLSLshader") {
        doShader = 1;
    } else if (command == "vshader") {
        vertexShader += s0;
        vertexShader += "\n";
    } else if (command == "fshader") {
        fragShader += s0;
        fragShader += "\n";
    } else if (command == "color") {
        hasColor = 1;
        for (int i = 0; i < 3; i++)
            color[i] = n[i];
    } else if (command == "normalsToTexture") {
        uint8_t set = toByte(n0);
        if (texGeo) texGeo->normalsToTexture = set;
        addStreamChan(STREAM_DYNAMIC, set ? CHAN_TEX2 : CHAN_TEX1);
    } else if (command == "doNormals") {
        // No longer supported: refuse the material rather than stop the program.
        VTRACE(1, "do normals");
        setExitError("doN", 1);
        return CMD_STOP;
    } else if (command == "doInterp") {
        VTRACE(1, "** doInterp " << name << " " << s0);
    } else if (command == "oneColorChannelToAll") {
        if (texGeo) texGeo->oneChannelColor = toByte(n0);
    } else if (command == "reflectionTexScale") {
        if (texGeo) {
            texGeo->reflectionTexScale[0] = n0;
            texGeo->reflectionTexScale[1] = s.size() == 1 ? n0 : n[1];
        }
    } else if (command == "specularColorReflection" || command == "specularColorReflectionChan") {
        return specularReflection(line, s, n);
    } else if (command == "ignoreDepthTest") {
        ignoreDepthTest = 1;
    } else if (command == "ignoreDepthWrite") {
        ignoreDepthWrite = 1;
    } else if (command == "shiftTex") {
        VTRACE(2, "shifting texture");
        uint8_t set = toByte(n0);
        if (texGeo) {
            texGeo->texShiftSet = set;
            texGeo->texShift[0] = n[1];
            texGeo->texShift[1] = n[2];
        }
        if (set == 0) addStreamChan(STREAM_DYNAMIC, CHAN_TEX1);
        if (set == 1) addStreamChan(STREAM_DYNAMIC, CHAN_TEX2);
    } else if (command == "doLighting") {
        doLighting = truncatedWithin(n0) > 0;
    } else if (command == "additive") {
        additive = truncatedWithin(n0) > 0;
    } else if (command == "doAlphaMultWhenTransparent") {
        doAlphaMultWhenTransparent = toByte(n0);
    } else if (command == "sortPosition") {
        sortPosition = n0;
    } else {
        for (StreamWord const& w : streamWords) {
            if (command == w.command) return streamCommand(w.stream, s0);
        }
        for (char const* ignored : ignoredCommands) {
            if (command == ignored) return CMD_DONE;
        }
        return parent ? parent->processCommand(handler, line) : CMD_NOT_HANDLED;
    }
    return CMD_DONE;
}

unsigned Cmaterial::addStage(CscriptLine& line) {
    int number = texStages ? texStages->countChildren() : 0;
    int limit = maxTexUnits < SHADER_SAMPLERS ? maxTexUnits : SHADER_SAMPLERS;
    if (texStages == nullptr || number >= limit) {
        VTRACE(1, "txuerr! stage:" << number << "  maxtxunits:" << maxTexUnits);
        setExitError("adstg", 1);
        return CMD_STOP;
    }
    auto* stage = new CtextureStage;
    stage->stageNum = static_cast<int16_t>(number);
    texStages->addVariable(stage, 1);
    stage->setDiskPath(getDiskPath());
    // A failing block (already recorded) fails the material too, so that reading never
    // reports success for a material whose stage was refused.
    if (line.firstChild && runScriptLines(stage, line.firstChild) != 0) return CMD_STOP;
    return CMD_DONE;
}

unsigned Cmaterial::streamCommand(short stream, Cstring const& word) {
    uint16_t chan = attribWordToChan(word.c_str());
    if (chan == 0) {
        char message[512];
        std::snprintf(message, sizeof message, "unknown static attrib '%s' in %s", word.c_str(),
                      name.c_str());
        setExitError(message, 1);
    }
    addStreamChan(stream, static_cast<short>(chan));
    return CMD_DONE;
}

unsigned Cmaterial::specularReflection(CscriptLine& line, std::vector<Cstring> const& s,
                                       std::vector<float> const& n) {
    bool chanForm = line.name == "specularColorReflectionChan";
    if (texGeo) {
        CdataArray** slot = chanForm ? &texGeo->specColRefC : &texGeo->specColRef;
        registerDataArrayAndLoad(texGeo->materialOwnerNode(), slot, chanForm ? "specColRefC" : "specColRef",
                                 s[0].c_str(), nullptr);
        if (n.size() >= 2 && n[1] > 0.0f) texGeo->reflectionTexScale[0] = n[1];
        if (auto* image = dynamic_cast<CdataImage*>(texGeo->specColRef)) {
            image->setDimensionSpace(0, -1.0f, 1.0f);
            image->setDimensionSpace(1, -1.0f, 1.0f);
            image->copyToFloats();
        } else if (texGeo->specColRefC == nullptr) {
            setExitError("couldn't load specularColorReflection", 1);
            recommendReinstall = 1;
        }
        texGeo->workSwitches[3] = 1;
    }
    addStreamChan(STREAM_DYNAMIC, CHAN_SPECULAR);
    return CMD_DONE;
}
