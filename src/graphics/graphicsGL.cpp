#include "graphics/graphicsGL.h"

#include <algorithm>
#include <cmath>

#include "data/dataArrayManager.h"
#include "graphics/glDeviceData.h"
#include "graphics/shader.h"
#include "host/glContext.h"
#include "host/glHeaders.h"
#include "support/cerr.h"

CopenGL* currentGL = nullptr;
uint8_t doingOpenGL = 0;
Cstring glout;
int32_t geoToDisplaysThisFrame = 0;

static char const* glText(GLenum which) {
    auto text = reinterpret_cast<char const*>(glGetString(which));
    return text ? text : "";
}

CopenGL::CopenGL() : primitiveType(GL_TRIANGLES) {
    VTRACE(2, "Creating openGL api");
    refreshRate = 60;
    width = 0;
    std::fill(std::begin(boundTexture), std::end(boundTexture), ~0u);
}

CopenGL::~CopenGL() {
    release();
    // Any left belong to shaders whose device is gone with its context.
    for (CglProgramSet* set : programSets)
        delete set;
    programSets.clear();
}

CglProgramSet* CopenGL::shareProgramSet(char const* vertexText, char const* fragmentText) {
    for (CglProgramSet* set : programSets) {
        size_t split = set->key.find('\0');
        if (set->key.compare(0, split, vertexText) == 0 &&
            set->key.compare(split + 1, std::string::npos, fragmentText) == 0) {
            set->users++;
            return set;
        }
    }
    return nullptr;
}

CglProgramSet* CopenGL::addProgramSet(char const* vertexText, char const* fragmentText) {
    auto* set = new CglProgramSet;
    set->key = vertexText;
    set->key += '\0';
    set->key += fragmentText;
    set->users = 1;
    programSets.push_back(set);
    return set;
}

bool CopenGL::releaseProgramSet(CglProgramSet* set) {
    auto at = std::find(programSets.begin(), programSets.end(), set);
    if (at == programSets.end()) return false;
    if (--set->users > 0) return false;
    programSets.erase(at);
    delete set;
    return true;
}

int CopenGL::applyNewWindowMetrics() {
    int changed = CgraphicsAPI::applyNewWindowMetrics();
    if (changed == 1) VTRACE(2, "view changed size");
    return changed;
}

int CopenGL::init(void*) {
    doingOpenGL = 1;
    return 0;
}

void CopenGL::release() {
    if (!contextIsAvailable()) return;
    switchToThisRenderer(3);
    freeAPIgraphicsResources();
    CgraphicsAPI::release();
}

int CopenGL::switchToThisRenderer(int) {
    currentGL = this;
    if (context && !context->isCurrent()) context->makeCurrent();
    return 0;
}

int CopenGL::present(int) {
    switchToThisRenderer(6);
    switchToThisRenderer(13);
    if (context) context->swap();
    glout = "";
    return 0;
}

int CopenGL::GetDeviceCapabilities() {
    switchToThisRenderer(4);
    VTRACE(2, "graphics output working");
    VTRACE(2, "vendor: " << glText(GL_VENDOR));
    graphicsCards = glText(GL_RENDERER);
    VTRACE(2, "renderer: " << graphicsCards);
    VTRACE(2, "SUPPORTED EXTENSIONS:");
    VTRACE(2, glText(GL_EXTENSIONS));
    GLint units = 0, size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    VTRACE(2, "max tex units: " << units);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    maxTexWidth = size;
    maxTexHeight = size;
    VTRACE(2, "max tex sizes: " << size);
    GLSL = 1;
    // The draw code addresses eight units whatever the query says.
    maxTexUnits = 8;
    if (!CheckExtension("GL_ARB_multitexture")) {
        setExitError("Sorry, this screensaver is not supported by your graphics card.", 1);
        setExitError("If you feel you have a decent card, you may want to consider downloading the latest "
                     "drivers from your graphics card vendor.",
                     1);
        doNotSendReport = 1;
        return 1;
    }
    VTRACE(2, "supports multitexturing:");
    VTRACE(2, "active texture and client active tex found");
    if (!CheckExtension("GL_ARB_texture_env_combine")) {
        setExitError("Sorry, graphics card does not support texture combining.", 1);
        doNotSendReport = 1;
        return 1;
    }
    canDoFade = 1;
    canDoMultAdd = 0;
    canDoDXtempResult = 0;
    canReadRasterStatus = 0;
    return 0;
}

int CopenGL::RestoreDeviceObjects() {
    VTRACE(2, "restore device objects");
    switchToThisRenderer(5);
    InvalidateDeviceObjects();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_DITHER);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_LIGHTING);
    setVSync(0);
    VTRACE(2, "resetting GL");
    wireframe = -1;
    glDepthFunc(GL_ALWAYS);
    glClearDepth(0.5);
    glDepthRange(0.0, 0.5);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS);
    geoToDisplay(nullptr);
    depthResetCount = 0;
    return 0;
}

void CopenGL::perFrameGraphicsSetup() {
    glout = "";
    VTRACE(2, "pfgs " << width << " " << height);
    switchToThisRenderer(6);
    geoToDisplaysThisFrame = 0;
    if (clearScreen) clearTheScreen(0);
    lastShader = nullptr;
    texUnitsInUse = std::min(maxTexUnits, 8);
    geoToDisplay(nullptr);
}

void CopenGL::clearTheScreen(unsigned char) {
    switchToThisRenderer(8);
    glClearColor(clearColor[0] * masterMult, clearColor[1] * masterMult, clearColor[2] * masterMult, 0.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CopenGL::cameraToRenderer() {
    switchToThisRenderer(7);
    if (tank && graphicsHooks.tankCamera) graphicsHooks.tankCamera(tank, viewCamera);
    // While the scene fades the view slides sideways; at full brightness not at all.
    float dim = 1.0f - masterMult;
    glViewport(static_cast<GLint>(dim * dim * 200.0f * slideAmplitude * backingScale),
               static_cast<GLint>(static_cast<float>(letterboxBottom) * backingScale),
               static_cast<GLsizei>(std::trunc(width) * backingScale),
               static_cast<GLsizei>(static_cast<float>(viewportHeight) * backingScale));

    CviewCamera const& cam = viewCamera;
    ESMatrix projection;
    esMatrixLoadIdentity(&projection);
    Crect const& f = letterboxedFovRect;
    esFrustum(&projection, f.minx * cam.nearZ, f.maxx * cam.nearZ, f.miny * cam.nearZ, f.maxy * cam.nearZ,
              cam.nearZ, cam.farZ);
    auto eyeMatrix = [&](ESMatrix& out, Cvector const& eye, Cvector const& target) {
        ESMatrix view;
        esMatrixLookatRH(&view, eye, target, cam.up);
        esMatrixMultiply(&out, &view, &projection);
    };
    Cvector const& d = cam.direction;
    if (!stereoMode) {
        eyeMatrix(viewProjection, cam.eye, cam.eye + d);
    } else {
        // Over/under stereo: two eyes 0.6 apart, each turned in by 0.027.
        Cvector second = cam.eye + Cvector(0.3f, 0, -0.3f);
        eyeMatrix(secondEyeViewProjection, second,
                  Cvector(second.x + d.x - 0.027f, cam.eye.y + d.y, second.z + d.z));
        Cvector first = cam.eye + Cvector(-0.3f, 0, -0.3f);
        eyeMatrix(viewProjection, first, Cvector(first.x + d.x + 0.027f, cam.eye.y + d.y, first.z + d.z));
    }
    esMatrixLoadIdentity(&flatProjection);
    Crect const& g = guiViewportRect;
    esOrtho(&flatProjection, g.minx, g.maxx, g.miny, g.maxy, -1.0f, 30.0f);
}

void CopenGL::drawFlatStuff(Clist<CrenderPolyGroup*>& list) {
    if (list.count < 1) return;
    switchToThisRenderer(10);
    wireframe = 0;
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    for (int i = 0; i < list.count; i++)
        geoToDisplay(list[i]);
}

void CopenGL::resetDrawState() {
    polygonModeState = -1;
    primitiveType = GL_TRIANGLES;
    depthTestState = static_cast<uint8_t>(-1);
    depthWriteState = -1;
    glUseProgram(0);
    lastShader = nullptr;
    lastVariant = -1;
    lastProgram = 0;
    lastStreams = CvertexStreamState{};
    for (int i = 0; i < 8; i++) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glDisable(GL_TEXTURE_2D);
        texUnitEnabled[i] = 0;
        boundTexture[i] = ~0u;
    }
    for (GLuint a = 0; a < 6; a++)
        glDisableVertexAttribArray(a);
    enabledAttribMask = 0;
    texUnitsInUse = 0;
    glDisable(GL_BLEND);
    blendState = 0;
    glDisable(GL_DEPTH_TEST);
    depthTestState = 0;
    glActiveTexture(GL_TEXTURE0);
    activeTextureUnit = 0;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    boundIndexBuffer = 0;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
