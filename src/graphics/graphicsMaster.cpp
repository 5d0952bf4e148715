#include "graphics/graphicsMaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/dataArrayManager.h"
#include "graphics/material.h"
#include "graphics/shader.h"
#include "graphics/textureImage.h"
#include "graphics/textureStage.h"
#include "support/cerr.h"

RenderUnit m_RenderUnits[maxDisplays] = {};
CgraphicsHooks graphicsHooks;

ChookTable graphicsHookTable() {
    static constexpr ChookSlot slots[] = {
        HOOK_SLOT(CgraphicsHooks, rebuildTankViews, "world"),
        HOOK_SLOT(CgraphicsHooks, tankGridCells, "world"),
        HOOK_SLOT(CgraphicsHooks, tankName, "world"),
        HOOK_SLOT(CgraphicsHooks, displayCount, "world"),
        HOOK_SLOT(CgraphicsHooks, tankCamera, "world"),
        HOOK_SLOT(CgraphicsHooks, findCustomTexture, "world"),
        HOOK_SLOT(CgraphicsHooks, thingTearingDown, "things"),
        HOOK_SLOT(CgraphicsHooks, interfaceThing, "things"),
        HOOK_SLOT(CgraphicsHooks, tankRenderLists, "world"),
        HOOK_SLOT(CgraphicsHooks, updateTankForFrame, "world"),
        HOOK_SLOT(CgraphicsHooks, fetchTankDisplayGeo, "world"),
        HOOK_SLOT(CgraphicsHooks, tankMissing, "world"),
        HOOK_SLOT(CgraphicsHooks, panelShownOn, "world"),
        HOOK_SLOT(CgraphicsHooks, guiWorkObjects, "world"),
    };
    static_assert(slotsAreDistinct(slots));
    return describeHooks("graphicsHooks", graphicsHooks, slots);
}

Cstring graphicsCards;
uint8_t doNotSendReport = 0;
CguideGeometry guideGeo;
float masterMult = 1.0f;
float slideAmplitude = 0.0f;
int32_t masterFrame = 0;
int32_t masterOddFrame = 0;

bool deviceOrphaning = false;
int32_t vertexBuffersAlloced = 0;
int32_t maxVertexBuffersAlloced = 0;
int32_t indexBuffersAlloced = 0;
int32_t texturesAlloced = 0;
int32_t streamSourceChanges = 0;
int32_t dynamicLockUnlocks = 0;

// The device stands in the texture-display table under its index, so that an image that
// goes frees its texture here.
static void leaveTextureDisplays(CgraphicsAPI* device) {
    for (CtextureDevice*& entry : textureDisplays)
        if (entry == device) entry = nullptr;
}

CgraphicsAPI::CgraphicsAPI() {
    // The device is the hub of its resources: losing them must never release it.
    linkThreshold = -1;
    registerShort(leftMonitorExtendStatus, "leftMonitorExtendStatus", 0);
    registerShort(rightMonitorExtendStatus, "rightMonitorExtendStatus", 0);
}

CgraphicsAPI::~CgraphicsAPI() {
    leaveTextureDisplays(this);
    // Shaders that outlive the device must not reach back into it.
    for (Cshader* s : shaders)
        s->device = nullptr;
    // Normally release() has freed everything in the device's context already.
    deviceOrphaning = true;
    freeBuffers();
    deviceOrphaning = false;
    // Averages over no frames are reported as 0 rather than divided by zero.
    float frames = static_cast<float>(framesRendered);
    auto perFrame = [frames](float total) { return frames > 0 ? total / frames : 0.0f; };
    VTRACE(2, "lockBytesSentToVideoCard=" << lockBytesSentToVideoCard);
    VTRACE(2, "framesRendered=" << framesRendered);
    VTRACE(2, "avg lockBytesSentToVideoCard=" << perFrame(static_cast<float>(lockBytesSentToVideoCard)));
    VTRACE(2, "vertexBuffersAlloced=" << vertexBuffersAlloced);
    VTRACE(2, "maxVertexBuffersAlloced=" << maxVertexBuffersAlloced);
    VTRACE(2, "indexBuffersAlloced=" << indexBuffersAlloced);
    VTRACE(2, "texturesAlloced=" << texturesAlloced);
    VTRACE(2, "Avg StreamSource changes per frame=" << perFrame(static_cast<float>(streamSourceChanges)));
    VTRACE(2, "Avg material changes per frame=" << perFrame(static_cast<float>(totalMaterialChanges)));
    VTRACE(2, "total material changes=" << totalMaterialChanges);
    VTRACE(2, "dynamic locks/Unlocks per frame=" << perFrame(static_cast<float>(dynamicLockUnlocks)));
}

void CgraphicsAPI::setRefresh(int rate) {
    refreshRate = static_cast<float>(rate);
    VTRACE(1, "refreshrate=" << refreshRate);
}

int CgraphicsAPI::GetDeviceCapabilities() {
    maxTexWidth = 2048;
    maxTexHeight = 2048;
    maxTexUnits = 8;
    return 0;
}

void CgraphicsAPI::setDisplayIndex(int index) {
    leaveTextureDisplays(this);
    if (index >= 0 && index < TEXTURE_DISPLAY_SLOTS) textureDisplays[index] = this;
    displayIndex = static_cast<int16_t>(index);
    displayBit = static_cast<uint8_t>(1u << (static_cast<unsigned>(index) % 32u));
}

void CgraphicsAPI::activate() {
    isActive = 1;
    VTRACE(1, "ISACTIVE=1");
}

void CgraphicsAPI::setNewWindowMetrics(Crect const& rect) {
    windowRect = rect;
    if (windowChanged == -1) applyNewWindowMetrics();
    windowChanged = 1;
    VTRACE(1, "setNewWindowMetrics  sizehaschanged:" << int(windowChanged));
}

int CgraphicsAPI::applyNewWindowMetrics() {
    float w = std::floor(windowRect.maxx - windowRect.minx + 0.1f);
    float h = std::floor(windowRect.maxy - windowRect.miny + 0.1f);
    VTRACE(1, "new window metrics: " << w << " " << h);
    windowChanged = 0;
    if (w < 3 || h < 3) {
        VTRACE(1, "ISACTIVE=0");
        isActive = 0;
        return -1;
    }
    appliedWindowRect = windowRect;
    if (tank && graphicsHooks.rebuildTankViews) graphicsHooks.rebuildTankViews(tank);
    activate();
    if (w == width && h == height) return 0;
    width = w;
    height = h;
    minDimension = std::min(w, h);
    calcGuiViewportRect();
    viewportHeight = static_cast<int32_t>(h);
    return 1;
}

void CgraphicsAPI::calcGuiViewportRect() {
    if (!(height > 0)) return;
    float aspect = width / height;
    guiViewportRect = Crect(0, std::max(1.0f, aspect), 0, aspect < 1 ? 1 / aspect : 1);
}

void CgraphicsAPI::calcAllFovRectsAndLetterboxing(Crect fov, Crect const& tankView, Crect const& wholeView) {
    clearScreen = std::max(clearScreen, 2);
    fovRect = fov;
    float h = fov.maxy - fov.miny;
    letterboxTop = 0;
    letterboxBottom = 0;
    // A view without height, or a window under one pixel high, gets no bars rather than a
    // division by zero.
    if (h > 0 && height >= 1) {
        float bottomFraction = (tankView.miny - fov.miny) / h;
        float topFraction = (fov.maxy - tankView.maxy) / h;
        if (topFraction > 0) letterboxTop = static_cast<int32_t>(topFraction * height + 0.99f);
        if (bottomFraction > 0) letterboxBottom = static_cast<int32_t>(bottomFraction * height);
        float unitsPerPixel = h / height;
        fov.maxy -= unitsPerPixel * static_cast<float>(letterboxTop);
        fov.miny += unitsPerPixel * static_cast<float>(letterboxBottom);
    }
    letterboxedFovRect = fov;
    viewportHeight = static_cast<int32_t>(height - static_cast<float>(letterboxTop + letterboxBottom));
    normalizedViewRect = letterboxedFovRect.normalizeWithin(wholeView);
    int cellsX = 0, cellsY = 0;
    if (tank && graphicsHooks.tankGridCells) graphicsHooks.tankGridCells(tank, cellsX, cellsY);
    Crect const& n = normalizedViewRect;
    float cx = static_cast<float>(cellsX), cy = static_cast<float>(cellsY);
    cellRect = Crect(std::floor(std::max(0.0f, n.minx) * cx), std::ceil(std::min(0.998f, n.maxx) * cx),
                     std::floor(std::max(0.0f, n.miny) * cy), std::ceil(std::min(0.998f, n.maxy) * cy));
}

void CgraphicsAPI::setOrderingWithinPeers(int position, int screens) {
    leftMonitorExtendStatus = position != 0 ? 1 : 0;
    rightMonitorExtendStatus = position != screens - 1 ? 1 : 0;
    int displays = graphicsHooks.displayCount ? graphicsHooks.displayCount() : 0;
    if (displayIndex == 0) leftMonitorExtendStatus = -1;
    if (displayIndex == displays - 1) rightMonitorExtendStatus = -1;
    VTRACE(2, "display " << displayIndex << "  setOrderingWithinPeers: position=" << position
                         << "  screens:" << screens);
    VTRACE(2, "leftMonitorExtendStatus:" << leftMonitorExtendStatus
                                         << "  rightMonitorExtendStatus:" << rightMonitorExtendStatus);
    if (tank && graphicsHooks.tankName) VTRACE(2, "tank=" << graphicsHooks.tankName(tank));
}

void CgraphicsAPI::convertScreenCoordsToGUIviewport(float& x, float& y) {
    if (!(width > 0 && height > 0)) return;
    Cvector2 p(x / width, y / height);
    guiViewportRect.stretchNormalizedTo(p);
    x = p.x;
    y = p.y;
}

void CgraphicsAPI::registerTexture(CtextureImage* texture) {
    textures.push_back(texture);
    VTRACE(2, "textures=" << textures.size());
}

void CgraphicsAPI::removeTexture(CtextureImage* texture) {
    auto it = std::find(textures.begin(), textures.end(), texture);
    if (it == textures.end()) return;
    textures.erase(it);
    setTextureHandle(texture, 0);
}

uint32_t CgraphicsAPI::textureHandle(CtextureImage* image) const {
    if (!image || !hasSlot()) return 0;
    CdeviceTexture const* t = image->deviceTextures[displayIndex];
    return t ? t->name : 0;
}

void CgraphicsAPI::setTextureHandle(CtextureImage* image, uint32_t name) {
    if (!image || !hasSlot()) return;
    CdeviceTexture*& slot = image->deviceTextures[displayIndex];
    delete slot;
    slot = name ? new CdeviceTexture(name) : nullptr;
}

uint32_t CgraphicsAPI::fetchTexture(CtextureImage* image) {
    if (!image) return 0;
    // A failed upload is tried again on the next request.
    CdeviceTexture* t = image->getTexture(this);
    if (!t) setExitError("no tex", 1);
    return t ? t->name : 0;
}

uint32_t CgraphicsAPI::fetchTexture(CtextureStage* stage, CworkObject* object) {
    if (!stage) return 0;
    if (stage->tex) return fetchTexture(stage->tex);
    if (stage->customTex == 65535 || !graphicsHooks.findCustomTexture) return 0;
    CtextureImage* custom = graphicsHooks.findCustomTexture(object, stage->customTexName);
    return custom ? fetchTexture(custom) : 0;
}

int CgraphicsAPI::checkForBadCard() {
    char const* name = graphicsCards;
    for (char const* bad : {"8281", "geDDR", "SiS Mi"}) {
        if (std::strstr(name, bad)) {
            doNotSendReport = 1;
            setExitError("Sorry, your graphics card is incompatable with this screensaver.", 1);
            return 1;
        }
    }
    return 0;
}

int CgraphicsAPI::verifyGraphicsCapabilities() {
    VTRACE(2, "Max tex units:" << maxTexUnits << "  maxTexWidth:" << maxTexWidth
                               << "  maxTexHeight:" << maxTexHeight);
    if (maxTexUnits < 1) {
        VTRACE(1, "verifyGraphicsCapabilities failed");
        return 1;
    }
    return 0;
}

CgraphicsAPI::FogEnd CgraphicsAPI::getFogEnd(float fade, float end) {
    if (fade >= 0.999f) return {0.0f, fade};
    float factor = std::pow(1.0f - std::max(fade, 0.0f), 1.4f);
    return {(factor - 1.0f) * end / factor, factor};
}

void CgraphicsAPI::showLongBits(unsigned long bits) {
    char text[33];
    for (int i = 0; i < 32; i++)
        text[i] = (bits >> i) & 1u ? 'X' : '-';
    text[32] = 0;
    VTRACE(1, text);
}
