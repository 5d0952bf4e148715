// Rewriting a material's vertex text into the form the device compiles: fixed-function
// names become our own attributes and uniforms, declared only when the text uses them, and
// the placeholders "pos_func", "color_func" and "tex2_func" expand for the model's vertex
// compression. Each declaration goes in front of the text built so far.
#include <cstdio>

#include "graphics/material.h"
#include "support/cerr.h"
#include "support/helperFunctions.h"

namespace {

// Replaces every search by replacement; true when the text changed.
bool replaceAll(Cstring& text, char const* search, char const* replacement) {
    Cstring replaced = searchAndReplace(text.c_str(), search, replacement);
    bool changed = !(replaced == text);
    text = replaced;
    return changed;
}

Cstring formatNumber(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return Cstring(buffer);
}

// One unit of a compressed coordinate: 1/2048, written with exactly these digits.
constexpr char const* compressedUnit = "0.0004883";

} // namespace

int Cmaterial::rewriteVertexShader() {
    if (texGeo == nullptr) {
        setExitError("no tex geo", 1);
        return 1;
    }
    int format = texGeo->apiFormat;
    bool gles = shaderMode & SHADER_GLES;
    Cstring prefix(gles ? "lowp " : "");
    Cstring text = vertexShader;

    // Position.
    if (!(shaderMode & SHADER_POS)) {
        replaceAll(text, "gl_Vertex", "glVertex");
    } else if (!(format & CmaterialOwner::API_COMPRESSED_POSITIONS)) {
        replaceAll(text, "pos_func", "gl_Position = gl_ModelViewProjectionMatrix * glVertex;");
    } else {
        replaceAll(text, "pos_func",
                   "gl_Position = gl_ModelViewProjectionMatrix * vec4(0.0004883 * glVertex.x, 0.0004883 * "
                   "glVertex.y, 0.0004883* glVertex.z, 1.0);");
    }
    text = Cstring("attribute vec4 glVertex;\n") + text;

    // Colour.
    if (!(shaderMode & SHADER_COLOR)) {
        if (replaceAll(text, "gl_Color", "glColor")) text = Cstring("attribute vec4 glColor;\n") + text;
    } else if (!(format & CmaterialOwner::API_COLOR_IN_W)) {
        Cstring line;
        if (shaderColorMult == 1.0f) {
            line = "color = vec4(glColor.r, glColor.g, glColor.b,1);";
        } else {
            Cstring f = formatNumber(shaderColorMult);
            if (f.size() < 2) f += ".0";
            line = "color = vec4(" + f + "*glColor.r, " + f + "*glColor.g, " + f + "*glColor.b,1);";
        }
        if (replaceAll(text, "color_func", line.c_str()))
            text = "attribute vec4 glColor;\nvarying " + prefix + "vec4 color; \n" + text;
    } else {
        Cstring line = "float c = " + formatNumber(shaderColorMult * 0.0004883) +
                       " * glVertex.w;\n  color = vec4(c, c, c, 1);";
        replaceAll(text, "color_func", line.c_str());
        text = "varying " + prefix + "vec4 color;\n" + text;
    }

    // Specular: -1 (no attribute) counts as present, as the device expects.
    if (texGeo->specOffset != 0) text = Cstring("attribute vec4 glSpec;\n") + text;

    if (replaceAll(text, "gl_Normal", "glNormal")) text = Cstring("attribute vec3 glNormal;\n ") + text;
    if (replaceAll(text, "gl_MultiTexCoord0", "glTexCoord0"))
        text = Cstring("attribute vec2 glTexCoord0;\n ") + text;

    // Second texture coordinates.
    Cstring tex2Header = "attribute vec2 glTexCoord1\n;varying " + prefix + "vec2 texture_coordinateB;\n";
    if (!(shaderMode & SHADER_TEX2)) {
        if (replaceAll(text, "gl_MultiTexCoord1", "glTexCoord1"))
            text = Cstring("attribute vec2 glTexCoord1;\n") + text;
    } else if (!(format & CmaterialOwner::API_COMPRESSED_UV2)) {
        if (replaceAll(text, "tex2_func", "  texture_coordinateB = vec2(glTexCoord1);"))
            text = tex2Header + text;
    } else {
        Cstring line = Cstring("  texture_coordinateB = vec2(") + compressedUnit + "*glTexCoord1.x ," +
                       compressedUnit + "*glTexCoord1.y);";
        replaceAll(text, "tex2_func", line.c_str());
        text = tex2Header + text;
    }

    if (replaceAll(text, "gl_ModelViewProjectionMatrix", "glModelViewProjectionMatrix"))
        text = Cstring("uniform mat4 glModelViewProjectionMatrix;\n") + text;

    if (gles) {
        for (char const* word : {"lowp", "highp"}) {
            replaceAll(text, word, "");
            replaceAll(fragShader, word, "");
        }
    }
    vertexShader = text;
    return 0;
}
