// Vertex text rewriting: golden texts for each shader mode and vertex format.
#include "materialTestSupport.h"

namespace {

class ShaderRewrite : public MaterialTest {
  protected:
    // Rewrites text as a material of the model with the given mode and format; the
    // fragment text, when given, is rewritten too.
    std::string rewrite(char const* text, short mode, int format, float colorMult = 1.0f,
                        std::string* fragment = nullptr) {
        model.apiFormat = format;
        model.specOffset = 0; // no specular attribute
        Cmaterial m;
        m.texGeo = &model;
        m.shaderMode = mode;
        m.shaderColorMult = colorMult;
        m.vertexShader = text;
        if (fragment) m.fragShader = fragment->c_str();
        EXPECT_EQ(m.rewriteVertexShader(), 0);
        if (fragment) *fragment = m.fragShader.c_str();
        return m.vertexShader.c_str();
    }
};

TEST_F(ShaderRewrite, GoldenTexts) {
    std::string const mvp = "uniform mat4 glModelViewProjectionMatrix;\n",
                      vertex = "attribute vec4 glVertex;\n",
                      colour = "attribute vec4 glColor;\nvarying vec4 color; \n",
                      tex2 = "attribute vec2 glTexCoord1\n;varying vec2 texture_coordinateB;\n";
    short const gles = SHADER_GLES | SHADER_POS | SHADER_COLOR | SHADER_TEX2;
    struct Case {
        char const* what;
        char const* text;
        short mode;
        int format;
        float mult;
        std::string expected;
    } cases[] = {
        {"plain", "void main(){gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;}", 0, 0, 1.0f,
         mvp + vertex + "void main(){gl_Position = glModelViewProjectionMatrix * glVertex;}"},
        {"POS uncompressed", "pos_func", SHADER_POS, 0, 1.0f,
         mvp + vertex + "gl_Position = glModelViewProjectionMatrix * glVertex;"},
        {"POS compressed", "pos_func", SHADER_POS, CmaterialOwner::API_COMPRESSED_POSITIONS, 1.0f,
         mvp + vertex +
             "gl_Position = glModelViewProjectionMatrix * vec4(0.0004883 * glVertex.x, 0.0004883 * "
             "glVertex.y, "
             "0.0004883* glVertex.z, 1.0);"},
        {"COLOR mult 1", "color_func", SHADER_COLOR, 0, 1.0f,
         colour + vertex + "color = vec4(glColor.r, glColor.g, glColor.b,1);"},
        {"COLOR mult 2", "color_func", SHADER_COLOR, 0, 2.0f,
         colour + vertex + "color = vec4(2.0*glColor.r, 2.0*glColor.g, 2.0*glColor.b,1);"},
        {"COLOR mult 1.5", "color_func", SHADER_COLOR, 0, 1.5f,
         colour + vertex + "color = vec4(1.5*glColor.r, 1.5*glColor.g, 1.5*glColor.b,1);"},
        {"COLOR without placeholder", "x", SHADER_COLOR, 0, 1.0f, vertex + "x"},
        {"colour in w", "color_func", SHADER_COLOR, CmaterialOwner::API_COLOR_IN_W, 2.0f,
         "varying vec4 color;\n" + vertex + "float c = 0.0009766 * glVertex.w;\n  color = vec4(c, c, c, 1);"},
        {"colour in w without placeholder", "x", SHADER_COLOR, CmaterialOwner::API_COLOR_IN_W, 1.0f,
         "varying vec4 color;\n" + vertex + "x"},
        {"fixed colour", "c = gl_Color;", 0, 0, 1.0f, "attribute vec4 glColor;\n" + vertex + "c = glColor;"},
        {"TEX2 uncompressed", "tex2_func", SHADER_TEX2, 0, 1.0f,
         tex2 + vertex + "  texture_coordinateB = vec2(glTexCoord1);"},
        {"TEX2 uncompressed without placeholder", "x", SHADER_TEX2, 0, 1.0f, vertex + "x"},
        {"TEX2 compressed", "tex2_func", SHADER_TEX2, CmaterialOwner::API_COMPRESSED_UV2, 1.0f,
         tex2 + vertex + "  texture_coordinateB = vec2(0.0004883*glTexCoord1.x ,0.0004883*glTexCoord1.y);"},
        {"fixed second uv", "t = gl_MultiTexCoord1;", 0, 0, 1.0f,
         "attribute vec2 glTexCoord1;\n" + vertex + "t = glTexCoord1;"},
        {"normal and uv, each declared once", "n = gl_Normal + gl_Normal; t = gl_MultiTexCoord0;", 0, 0, 1.0f,
         "attribute vec2 glTexCoord0;\n attribute vec3 glNormal;\n " + vertex +
             "n = glNormal + glNormal; t = glTexCoord0;"},
        {"GLES strips precision", "highp vec4 p; pos_func color_func tex2_func", gles, 0, 1.0f,
         mvp + "attribute vec2 glTexCoord1\n;varying  vec2 texture_coordinateB;\n" +
             "attribute vec4 glColor;\nvarying  vec4 color; \n" + vertex +
             " vec4 p; gl_Position = glModelViewProjectionMatrix * glVertex; "
             "color = vec4(glColor.r, glColor.g, glColor.b,1);   texture_coordinateB = vec2(glTexCoord1);"},
    };
    for (Case const& c : cases)
        EXPECT_EQ(rewrite(c.text, c.mode, c.format, c.mult), c.expected) << c.what;
}

} // namespace
