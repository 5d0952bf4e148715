#include "graphics/glShader.h"

#include <cstring>
#include <string>

#include "graphics/graphicsGL.h"
#include "graphics/graphicsMaster.h"
#include "graphics/material.h"
#include "host/glHeaders.h"
#include "support/cerr.h"

namespace {

// The info log of a shader or program, for the trace.
std::string infoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1) return {};
    std::string log(static_cast<size_t>(length), '\0');
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    return log;
}

char const* const fadeLine = "gl_FragColor = vec4(fade,fade,fade,1) * gl_FragColor; }";

} // namespace

int createShader(unsigned kind, char const** text) {
    GLuint shader = glCreateShader(kind);
    if (!shader) return -1;
    glShaderSource(shader, 1, text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        VTRACE(1, "compile log: " << infoLog(shader, false));
        glDeleteShader(shader);
        return -1;
    }
    return static_cast<int>(shader);
}

CglslShader::~CglslShader() {
    freeShader();
}

int CglslShader::initialize(CgraphicsAPI* d, Cmaterial* m) {
    material = m;
    if (!m) return build(d, "", "", "");
    return build(d, m->getName(), m->vertexShader, m->fragShader);
}

int CglslShader::build(CgraphicsAPI* d, char const* name, char const* vertexText, char const* fragmentText) {
    device = d;
    slotIndex = d ? d->displayIndex : -1;
    VTRACE(1, "shader::init");
    VTRACE(1, "SHADER FOR MATERIAL " << (name ? name : ""));
    if (!vertexText || !*vertexText || !fragmentText || !*fragmentText) {
        setExitError("need both shaders", 1);
        return 1;
    }
    auto* gl = dynamic_cast<CopenGL*>(d);
    if (CglProgramSet* set = gl ? gl->shareProgramSet(vertexText, fragmentText) : nullptr) {
        VTRACE(2, "shares the programs of its texts");
        programs = set;
        vertexShader = set->vertexShader;
        for (int v = 0; v < 2; v++) {
            fragmentShader[v] = set->fragmentShader[v];
            program[v] = set->program[v];
            matrixLocation[v] = set->matrixLocation[v];
            for (int i = 0; i < 4; i++)
                samplerLocation[v][i] = set->samplerLocation[v][i];
        }
        fadeLocation = set->fadeLocation;
        return 0;
    }
    VTRACE(2, "init shader");
    VTRACE(2, "vshader=" << vertexText);
    int vertex = createShader(GL_VERTEX_SHADER, &vertexText);
    if (vertex < 0) {
        setExitError("bad Vertex Shader. ", 1);
        return 1;
    }
    vertexShader = static_cast<uint32_t>(vertex);
    if (makeProgram(vertexShader, fragmentText, 0) != 0) return 1;
    Cstring faded;
    if (!fadeVariantText(fragmentText, faded)) {
        setExitError("bad fragment Shader. ", 1);
        return 1;
    }
    if (makeProgram(vertexShader, faded, 1) != 0) return 1;
    if (gl) {
        CglProgramSet* set = gl->addProgramSet(vertexText, fragmentText);
        programs = set;
        set->vertexShader = vertexShader;
        for (int v = 0; v < 2; v++) {
            set->fragmentShader[v] = fragmentShader[v];
            set->program[v] = program[v];
            set->matrixLocation[v] = matrixLocation[v];
            for (int i = 0; i < 4; i++)
                set->samplerLocation[v][i] = samplerLocation[v][i];
        }
        set->fadeLocation = fadeLocation;
    }
    return 0;
}

bool CglslShader::fadeVariantText(char const* fragmentText, Cstring& out) {
    char const* brace = fragmentText ? std::strrchr(fragmentText, '}') : nullptr;
    if (!brace) return false;
    std::string text = "uniform float fade; ";
    text.append(fragmentText, static_cast<size_t>(brace - fragmentText));
    text += fadeLine;
    out = text.c_str();
    return true;
}

int CglslShader::makeProgram(unsigned vertex, char const* fragmentText, int variant) {
    VTRACE(2, "glshad::mkprog");
    VTRACE(2, "makeProgram " << variant);
    VTRACE(2, "fragmentCode=");
    VTRACE(2, "fshader=\n" << fragmentText);
    int fragment = createShader(GL_FRAGMENT_SHADER, &fragmentText);
    if (fragment < 0) {
        setExitError("bad fragment Shader. ", 1);
        return 1;
    }
    fragmentShader[variant] = static_cast<uint32_t>(fragment);
    VTRACE(2, "~compileShader");
    GLuint p = glCreateProgram();
    program[variant] = p;
    glAttachShader(p, vertex);
    glAttachShader(p, fragmentShader[variant]);
    glBindAttribLocation(p, ATTRIB_POSITION, "glVertex");
    glBindAttribLocation(p, ATTRIB_COLOR, "glColor");
    glBindAttribLocation(p, ATTRIB_SPECULAR, "glSpec");
    glBindAttribLocation(p, ATTRIB_NORMAL, "glNormal");
    glBindAttribLocation(p, ATTRIB_TEX0, "glTexCoord0");
    glBindAttribLocation(p, ATTRIB_TEX1, "glTexCoord1");
    glLinkProgram(p);
    GLint linked = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &linked);
    if (!linked) {
        VTRACE(1, "link log: " << infoLog(p, true));
        setExitError("shader program did not link. ", 1);
        return 1;
    }
    glUseProgram(p);
    matrixLocation[variant] = glGetUniformLocation(p, "glModelViewProjectionMatrix");
    VTRACE(2, "glModelViewProjectionMatrix=" << matrixLocation[variant]);
    if (variant == 1) fadeLocation = glGetUniformLocation(p, "fade");
    for (int i = 0; i < 4; i++) {
        std::string sampler = "tex" + std::to_string(i + 1);
        samplerLocation[variant][i] = glGetUniformLocation(p, sampler.c_str());
    }
    glUseProgram(0);
    return 0;
}

void CglslShader::freeShader() {
    if (material && slotIndex >= 0 && slotIndex < maxDisplays && material->shaders[slotIndex] == this)
        material->shaders[slotIndex] = nullptr;
    bool holdsAny = vertexShader || fragmentShader[0] || fragmentShader[1] || program[0] || program[1];
    CglProgramSet* set = programs;
    programs = nullptr;
    // Without its device the context is gone, and the GL objects with it.
    if (!holdsAny || !device) return;
    auto* gl = dynamic_cast<CopenGL*>(device);
    if (set && gl && !gl->releaseProgramSet(set)) {
        // Other materials still draw with these objects.
        vertexShader = 0;
        for (int v = 0; v < 2; v++)
            program[v] = fragmentShader[v] = 0;
        return;
    }
    device->switchToThisRenderer(182);
    for (int v = 0; v < 2; v++) {
        if (program[v]) glDeleteProgram(program[v]);
        if (fragmentShader[v]) glDeleteShader(fragmentShader[v]);
        program[v] = fragmentShader[v] = 0;
    }
    if (vertexShader) glDeleteShader(vertexShader);
    vertexShader = 0;
    VTRACE(2, "freeshader ");
    VTRACE(2, "  this=" << static_cast<void const*>(this));
    VTRACE(2, "  api=" << static_cast<void const*>(device));
    VTRACE(2, "done freeshader");
}
