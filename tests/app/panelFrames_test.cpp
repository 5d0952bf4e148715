// The control panel in the program's own frames, over the staged resources: pages opened
// by script show where the panel is (its background, buttons and text over the tank), its
// pointer routing reaches the tank and its pages, and closing it gives the tank back. Failing
// frames are kept as "<test name>_<n>.png" in the working folder.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "hostFixture.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/imageBox.h"
#include "interface/textWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"
#include "things/thing.h"

namespace {

constexpr int kWidth = 640, kHeight = 360;
// scripts/panel-picture.sh names the picture it wants.
char const* const kPictureVariable = "VELMORA_PANEL_PICTURE";

class PanelFrames : public HostFixture {
  protected:
    // The program's view over the staged resources, run until the default tank is drawn.
    Ctank* start(bool readsInput = true, int w = kWidth, int h = kHeight) {
        useStagedResources();
        width = w, height = h;
        view = std::make_unique<CvelmoraView>(CviewRect{0, 0, double(w), double(h)},
                                              createOffscreenContext(w, h), false);
        if (!view->valid()) return nullptr;
        view->readsInput = readsInput;
        view->startAnimation();
        for (int i = 0; i < 60 && shopKeeper; i++) {
            view->animateOneFrame();
            if (shopKeeper->focusTankObject && controlPanel && controlPanel->display) break;
        }
        return shopKeeper ? shopKeeper->focusTankObject : nullptr;
    }
    std::vector<uint8_t> frame() {
        view->animateOneFrame();
        std::vector<uint8_t> px(size_t(width) * height * 4);
        EXPECT_EQ(view->glView()->readPixels(0, 0, width, height, px.data()), 0);
        shots.push_back(px);
        return px;
    }
    // Pixels of the interface rectangle r (GUI units) for which take(pixel) holds.
    template <class Take> long pixelsIn(std::vector<uint8_t> const& px, Crect const& r, Take take) {
        Crect const& g = controlPanel->display->guiViewportRect;
        long n = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                float gx = g.minx + (x + 0.5f) / width * g.width(),
                      gy = g.miny + (y + 0.5f) / height * g.height();
                if (gx < r.minx || gx > r.maxx || gy < r.miny || gy > r.maxy) continue;
                n += take(&px[(size_t(y) * width + x) * 4]);
            }
        return n;
    }
    // Pixels of r as light as the panel's letters.
    long whitePixels(std::vector<uint8_t> const& px, Crect const& r) {
        return pixelsIn(px, r, [](uint8_t const* p) { return p[0] > 150 && p[1] > 180 && p[2] > 200; });
    }
    // Pixels of r lighter than level on every channel.
    long lightPixels(std::vector<uint8_t> const& px, Crect const& r, int level = 70) {
        return pixelsIn(px, r,
                        [level](uint8_t const* p) { return p[0] > level && p[1] > level && p[2] > level; });
    }
    // The widget's centre in window pixels, y upward.
    void pixelsOf(CwidgetVar* w, float& x, float& y) const {
        Crect const& g = controlPanel->display->guiViewportRect;
        x = (w->rect.centerx() - g.minx) / g.width() * width;
        y = (w->rect.centery() - g.miny) / g.height() * height;
    }
    void TearDown() override {
        auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string test = info->name();
        std::replace(test.begin(), test.end(), '/', '_');
        if (HasFailure())
            for (size_t i = 0; i < shots.size(); i++)
                writeFramePng((savedCwd / (test + "_" + std::to_string(i) + ".png")).c_str(), width, height,
                              shots[i].data());
        if (view) {
            view->stopAnimation();
            view.reset();
        }
        enableAnim = 1; // a paused tank is not handed on to the next test
        HostFixture::TearDown();
    }
    // A frame of the interface alone: the tank's things other than the panel hidden.
    std::vector<uint8_t> interfaceFrame() {
        std::vector<std::pair<Cthing*, uint16_t>> saved;
        Ctank* tank = shopKeeper->focusTankObject;
        for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
            if (auto* t = dynamic_cast<Cthing*>(v); t && t != controlPanel) {
                saved.push_back({t, t->displayed});
                t->setDisplayed(0);
            }
        tank->displayGeoFetched = 0; // the lists are built again, also while the tank is paused
        std::vector<uint8_t> px = frame();
        for (auto const& [t, was] : saved)
            t->setDisplayed(was);
        tank->displayGeoFetched = 0;
        return px;
    }
    static CwidgetVar* find(CgroupWidgetVar* group, char const* name) {
        for (Cvariable* c = group->widgetList()->firstChild; c; c = c->nextSibling) {
            auto* w = dynamic_cast<CwidgetVar*>(c);
            if (w && w->name == name) return w;
            if (auto* g = dynamic_cast<CgroupWidgetVar*>(w))
                if (CwidgetVar* inner = find(g, name)) return inner;
        }
        return nullptr;
    }
    std::unique_ptr<CvelmoraView> view;
    std::vector<std::vector<uint8_t>> shots;
    int width = kWidth, height = kHeight;
};

// The main page opened by script draws the panel where its pane is: the background and
// buttons change the pixels there, text shows bright, and the tank elsewhere changes only
// where its fish swim; closing the panel gives the pixels back to the tank.
TEST_F(PanelFrames, TheMainPageShowsWhereThePanelIs) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(0, 2000);
    ASSERT_NE(controlPanel, nullptr);
    for (int i = 0; i < 200; i++) // the scene fades in over its first seconds
        view->animateOneFrame();
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    std::vector<uint8_t> before = frame();
    runStringScript(shopKeeper, ":page /std_scripts/main_page main_pane");
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    auto* pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr);
    frame();
    std::vector<uint8_t> open = frame();
    Crect r = pane->rect;
    Crect inner(r.minx + 0.1f * r.width(), r.maxx - 0.1f * r.width(), r.miny + 0.1f * r.height(),
                r.maxy - 0.1f * r.height());
    // Changed pixels inside the pane and outside it.
    Crect const& g = controlPanel->display->guiViewportRect;
    long changedIn = 0, in = 0, changedOut = 0, out = 0;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            float gx = g.minx + (x + 0.5f) / kWidth * g.width(),
                  gy = g.miny + (y + 0.5f) / kHeight * g.height();
            size_t i = (size_t(y) * kWidth + x) * 4;
            int d = std::abs(open[i] - before[i]) + std::abs(open[i + 1] - before[i + 1]) +
                    std::abs(open[i + 2] - before[i + 2]);
            bool inside = gx > inner.minx && gx < inner.maxx && gy > inner.miny && gy < inner.maxy;
            bool outside =
                gx < r.minx - 0.03f || gx > r.maxx + 0.03f || gy < r.miny - 0.03f || gy > r.maxy + 0.03f;
            if (inside) in++, changedIn += d > 24;
            if (outside) out++, changedOut += d > 24;
        }
    EXPECT_GT(changedIn, in * 8 / 10) << "the panel covers its pane";
    // Outside only the fish have moved.
    EXPECT_LT(changedOut, out / 20) << "the tank outside the panel is untouched";
    auto* title = dynamic_cast<CtextWidgetVar*>(find(pane, "Velmora"));
    ASSERT_NE(title, nullptr);
    EXPECT_GT(whitePixels(open, title->rect), 30) << "the title's letters show";
    // Between the buttons the panel's background darkens the water.
    Crect gap(r.minx + 0.05f * r.width(), r.minx + 0.1f * r.width(), r.miny + 0.4f * r.height(),
              r.miny + 0.6f * r.height());
    EXPECT_EQ(whitePixels(open, gap), 0);

    runStringScript(shopKeeper, ":panel off");
    frame();
    std::vector<uint8_t> closed = frame();
    long back = 0;
    for (size_t i = 0; i < closed.size(); i += 4)
        back += std::abs(closed[i] - before[i]) + std::abs(closed[i + 1] - before[i + 1]) > 24;
    EXPECT_LT(back, kWidth * kHeight / 10) << "closed, the tank shows again (its fish have moved)";
}

// Pointer presses through the panel: a click on the water opens the bar, its "Menu" opens
// the main page, a click on its "Help" button shows the help page, and a click outside the
// pane closes the panel.
// Over the water the interface offers the "Menu" button and, early on, a hint on how to open
// it; a screen saver, which reads no input, offers neither.
class MenuOffered : public PanelFrames, public ::testing::WithParamInterface<bool> {};

TEST_P(MenuOffered, OnlyWhereTheViewReadsInput) {
    REQUIRE_OFFSCREEN();
    bool readsInput = GetParam();
    ASSERT_NE(start(readsInput), nullptr) << logs().substr(0, 2000);
    for (int i = 0; i < 180; i++) // the hint comes two seconds in
        view->animateOneFrame();
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    CgroupWidgetVar* base = controlPanel->findExistingPane("no_pane");
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(find(base, "menuHint") != nullptr, readsInput);
    EXPECT_EQ(controlPanel->hasPane("tutorial_pane"), readsInput);
}

// The hint's text stays inside its box on a narrow screen, as on a wide one.
TEST_F(PanelFrames, TheHintFitsItsBoxOnPortraitScreens) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    view = std::make_unique<CvelmoraView>(CviewRect{0, 0, 360, 640}, createOffscreenContext(360, 640), false);
    ASSERT_TRUE(view->valid());
    view->startAnimation();
    for (int i = 0; i < 180 && shopKeeper; i++) // the hint comes two seconds in
        view->animateOneFrame();
    ASSERT_NE(controlPanel, nullptr);
    CgroupWidgetVar* pane = controlPanel->findExistingPane("tutorial_pane");
    ASSERT_NE(pane, nullptr);
    CwidgetVar* box = find(pane, "hintBox");
    CwidgetVar* text = find(pane, "hintText");
    ASSERT_TRUE(box && text);
    box->updateRect();
    text->updateRect();
    EXPECT_GE(text->rect.minx, box->rect.minx);
    EXPECT_LE(text->rect.maxx, box->rect.maxx);
    EXPECT_GE(text->rect.miny, box->rect.miny);
    EXPECT_LE(text->rect.maxy, box->rect.maxy);
}

INSTANTIATE_TEST_SUITE_P(Views, MenuOffered, ::testing::Bool(),
                         [](auto const& info) { return info.param ? "window" : "screenSaver"; });

TEST_F(PanelFrames, ClicksOpenPagesAndCloseThePanel) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    shopKeeper->exitOnMouse = 2;
    shopKeeper->setRealMouseVisible(1);
    auto click = [&](float x, float y) {
        shopKeeper->touchPointers[0].mouseMoved(int(x), int(y), controlPanel->display);
        view->animateOneFrame();
        shopKeeper->mouseButtonDown(int(x), int(y));
        shopKeeper->mouseButtonUp(int(x), int(y));
        for (int i = 0; i < 20; i++)
            view->animateOneFrame();
    };
    // A corner of the water, away from the fish.
    click(8, kHeight - 8);
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    auto* bar = controlPanel->findExistingPane("bar");
    ASSERT_NE(bar, nullptr) << "a click on the water opens the bar";
    auto* menu = find(bar, "Menu");
    ASSERT_NE(menu, nullptr);
    float x, y;
    pixelsOf(menu, x, y);
    click(x, y);
    auto* pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr) << "the bar's Menu opens the main page";
    EXPECT_FALSE(controlPanel->hasPane("bar"));
    auto* help = find(pane, "Help");
    ASSERT_NE(help, nullptr);
    pixelsOf(help, x, y);
    click(x, y);
    pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr);
    Cvariable* page = pane->getChild("myPage");
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->getString(), "/std_scripts/help_page");
    frame();
    click(8, kHeight - 8);
    EXPECT_EQ(controlPanel->findExistingPane("main_pane"), nullptr) << "a click outside closes the panel";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

// The shop's pane and page commands: toggling a pane, pages and the way back through them,
// the history's own commands, and "page" closing the bar.
TEST_F(PanelFrames, PaneAndPageCommands) {
    REQUIRE_OFFSCREEN();
    ASSERT_NE(start(), nullptr);
    // Each command a frame later: a pane made in this frame is spared by "close all".
    auto run = [this](char const* script) {
        view->animateOneFrame();
        runStringScript(shopKeeper, script);
        EXPECT_TRUE(exitReasonList.empty()) << script << ": " << exitReasonList.back().c_str();
    };
    auto page = []() -> std::string {
        auto* pane = controlPanel->findExistingPane("main_pane");
        Cvariable* p = pane ? pane->getChild("myPage") : nullptr;
        return p ? p->getString() : "none";
    };
    run(":toggle_pane bar /std_scripts/main_functions main.gui");
    EXPECT_TRUE(controlPanel->hasPane("bar"));
    run(":toggle_pane bar /std_scripts/main_functions main.gui");
    EXPECT_FALSE(controlPanel->hasPane("bar"));
    run(":pane bar /std_scripts/main_functions main.gui");
    run(":page /std_scripts/fish_page main_pane");
    EXPECT_FALSE(controlPanel->hasPane("bar")) << "a page closes the bar";
    run(":page /std_scripts/help_page main_pane");
    EXPECT_EQ(controlPanel->numHistory, 2);
    run(":back");
    EXPECT_EQ(page(), "/std_scripts/fish_page");
    run(":page /std_scripts/tank_page main_pane");
    run(":delLastHistory");
    EXPECT_EQ(controlPanel->numHistory, 1);
    run(":clearHist");
    EXPECT_EQ(controlPanel->numHistory, 0);
    run(":panel on");
    EXPECT_EQ(page(), "/std_scripts/tank_page");
    run(":panel off");
    EXPECT_EQ(page(), "none");
    EXPECT_TRUE(controlPanel->hasPane("no_pane")) << "what passes the pointer to the tank stays";
}

// From the pages: a fish added by its button, the picked fish's name and notes, and the
// tank in focus made again as another type with its fish.
TEST_F(PanelFrames, PagesAddFishShowThePickedOneAndChangeTheTank) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    runStringScript(shopKeeper, ":page /std_scripts/fish_page main_pane");
    auto* pane = controlPanel->findExistingPane("main_pane");
    auto* label = pane ? find(pane, "+  Neon tetra") : nullptr;
    ASSERT_NE(label, nullptr);
    auto* button = dynamic_cast<CwidgetVar*>(label->parentWidget->widgetList()->firstChild);
    ASSERT_NE(button, nullptr);
    int fish = tank->numFish;
    button->mouseMessage(MOUSE_CLICK, 0, 0);
    EXPECT_EQ(tank->numFish, fish + 1);

    runStringScript(tank, ":highlight ON");
    ASSERT_NE(tank->focus, nullptr);
    view->animateOneFrame();
    auto* species = dynamic_cast<Cthing*>(tank->focus)->species;
    Cvariable* common = dynamic_cast<Cvariable*>(species)->getChild("commonName");
    ASSERT_NE(common, nullptr);
    EXPECT_STREQ(controlPanel->pickedName.c_str(), common->getString());
    EXPECT_FALSE(controlPanel->pickedAbout.empty());
    runStringScript(shopKeeper, ":pane bar /std_scripts/highlightFishPage main.gui");
    pane = controlPanel->findExistingPane("bar");
    ASSERT_NE(pane, nullptr);
    EXPECT_NE(find(pane, "$pickedName"), nullptr);
    auto* title = dynamic_cast<CimageWidgetVar*>(find(pane, "$pickedName"));
    EXPECT_STREQ(title->contents.c_str(), common->getString());

    fish = tank->numFish;
    runStringScript(shopKeeper, ":changeTank dusk_pool");
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    Ctank* rebuilt = shopKeeper->focusTankObject;
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_STREQ(rebuilt->tankTypeName.c_str(), "dusk_pool");
    EXPECT_EQ(rebuilt->numFish, fish) << "the fish came along";
    EXPECT_TRUE(controlPanel->displayed);
    for (int i = 0; i < 5; i++)
        view->animateOneFrame();
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

// A picture of w x h pixels, its left half magenta and its right half green; written as a PNG
// or, for a name ending in "jpg", a JPEG.
std::string splitPicture(std::string const& path, int w, int h) {
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        bool left = int(i / 4 % w) < w / 2;
        rgba[i] = left ? 230 : 20, rgba[i + 1] = left ? 20 : 200, rgba[i + 2] = left ? 200 : 60;
        rgba[i + 3] = 255;
    }
    if (path.size() < 4 || path.substr(path.size() - 3) != "jpg") {
        EXPECT_EQ(writeFramePng(path.c_str(), w, h, rgba.data()), 0);
        return readWholeFile(path);
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(w), cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_RGBA;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = rgba.data() + size_t(cinfo.next_scanline) * w * 4;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(out), size);
    std::free(out);
    writeWholeFile(path, bytes);
    return bytes;
}

uint32_t crc32Of(std::string const& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG chunk: length, type, data and its check sum.
std::string pngChunk(std::string const& type, std::string const& data) {
    auto be32 = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    return be32(uint32_t(data.size())) + type + data + be32(crc32Of(type + data));
}

// The text widgets of the group and its groups hold text.
bool showsText(CgroupWidgetVar* group, std::string const& text) {
    for (Cvariable* c = group ? group->widgetList()->firstChild : nullptr; c; c = c->nextSibling) {
        if (auto* t = dynamic_cast<CtextWidgetVar*>(c))
            if (std::string(t->contents.c_str()).find(text) != std::string::npos) return true;
        if (showsText(dynamic_cast<CgroupWidgetVar*>(c), text)) return true;
    }
    return false;
}

// A picture chosen for the background becomes the tank's backdrop and fills it, whatever
// its size and shape, the right way round. A file that cannot be read changes nothing and
// stops nothing: the viewer is told which file it was.
TEST_F(PanelFrames, AChosenPictureBecomesTheBackground) {
    REQUIRE_OFFSCREEN();
    ASSERT_NE(start(), nullptr);
    for (int i = 0; i < 200; i++)
        view->animateOneFrame();
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    auto choose = [&](std::string const& path) {
        shopKeeper->findVariable("std_scripts/bgImage")->setString(path.c_str());
        shopKeeper->setFocusTankBackgroundImage(path.c_str());
    };
    std::string png = splitPicture(data.file("sound.png"), 64, 32);
    std::string jpeg = splitPicture(data.file("sound.jpg"), 64, 32);
    std::string huge = std::string("\x89PNG\r\n\x1a\n", 8) +
                       pngChunk("IHDR", std::string("\0\0\x75\x30\0\0\x75\x30\x08\x06\0\0\0", 13)) +
                       pngChunk("IDAT", std::string("\x78\x9c\x63\0\0\0\x01\0\x01", 9)) +
                       pngChunk("IEND", "");
    std::string corrupt = png;
    for (size_t i = 60; i + 20 < corrupt.size(); i++)
        corrupt[i] = char(corrupt[i] ^ 0x5A);
    struct Unreadable {
        char const* name;
        std::string bytes;
    } const unreadable[] = {
        {"junk.png", "not a picture"},
        {"empty.png", ""},
        {"corrupt.png", corrupt},
        {"cut.jpg", jpeg.substr(0, jpeg.size() / 2)},
        {"huge.png", huge},
        {"sound.gif", png},
    };
    for (auto const& u : unreadable) {
        SCOPED_TRACE(u.name);
        writeWholeFile(data.file(u.name), u.bytes);
        choose(data.file(u.name));
        frame();
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        EXPECT_TRUE(showsText(controlPanel->findExistingPane("main_pane"), std::string("\"") + u.name + "\""))
            << "the panel names the file";
        runStringScript(shopKeeper, ":panel off");
    }
    struct Picture {
        char const* name;
        int w, h;   // the backdrop area is about 2:1: one wider, one narrower
        bool green; // the right of the screen shows the picture's green half (the wider one
                    // shows its left part: the tank pans it to its left edge)
    } const pictures[] = {{"wide.jpg", 1000, 250, false}, {"chosen.png", 800, 450, true}};
    for (auto const& pic : pictures) {
        SCOPED_TRACE(pic.name);
        splitPicture(data.file(pic.name), pic.w, pic.h);
        choose(data.file(pic.name));
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        frame();
        std::vector<uint8_t> px = frame();
        // The top band of the screen, above the rocks and plants, is the backdrop: in eight
        // strips across it, the picture's left half on the left, no dark band anywhere.
        constexpr int kStrips = 8;
        for (int strip = 0; strip < kStrips; strip++) {
            long magenta = 0, green = 0, dark = 0, n = 0;
            for (int y = kHeight * 9 / 10; y < kHeight; y++)
                for (int x = strip * kWidth / kStrips; x < (strip + 1) * kWidth / kStrips; x++, n++) {
                    uint8_t const* p = &px[(size_t(y) * kWidth + x) * 4];
                    magenta += p[0] > p[1] + 40 && p[2] > p[1] + 40;
                    green += p[1] > p[0] + 40 && p[1] > p[2] + 40;
                    dark += p[0] + p[1] + p[2] < 60;
                }
            EXPECT_LT(dark, n / 20) << "strip " << strip;
            if (strip < kStrips / 2 - 1) EXPECT_GT(magenta, n / 2) << "strip " << strip;
            if (strip > kStrips / 2) EXPECT_GT(pic.green ? green : magenta, n / 2) << "strip " << strip;
        }
    }
}

// The README's picture of the open panel, rendered by the program's own view when
// scripts/panel-picture.sh asks for it (otherwise skipped): the main page over the default
// tank, at 960 x 540 after the scene has swum for a few seconds.
TEST_F(PanelFrames, ThePanelPicture) {
    char const* path = std::getenv(kPictureVariable);
    if (path == nullptr) GTEST_SKIP() << "set " << kPictureVariable << " to write the picture";
    REQUIRE_OFFSCREEN();
    useStagedResources();
    int w = 960, h = 540;
    view = std::make_unique<CvelmoraView>(CviewRect{0, 0, double(w), double(h)}, createOffscreenContext(w, h),
                                          false);
    ASSERT_TRUE(view->valid());
    view->startAnimation();
    for (int i = 0; i < 300 && shopKeeper; i++)
        view->animateOneFrame();
    ASSERT_NE(controlPanel, nullptr);
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    runStringScript(shopKeeper, ":page /std_scripts/main_page main_pane");
    for (int i = 0; i < 30; i++)
        view->animateOneFrame();
    std::vector<uint8_t> px(size_t(w) * h * 4);
    ASSERT_EQ(view->glView()->readPixels(0, 0, w, h, px.data()), 0);
    ASSERT_EQ(writeFramePng(path, w, h, px.data()), 0);
}

// Every page opens without a script error: the main pane's, the bar's and the others'.
TEST_F(PanelFrames, EveryPageOpens) {
    REQUIRE_OFFSCREEN();
    ASSERT_NE(start(), nullptr);
    struct {
        char const* script;
        char const* pane;
    } const pages[] = {
        {":page /std_scripts/main_page main_pane", "main_pane"},
        {":page /std_scripts/fish_page main_pane", "main_pane"},
        {":page /std_scripts/tank_page main_pane", "main_pane"},
        {":page /std_scripts/sound_page main_pane", "main_pane"},
        {":page /std_scripts/help_page main_pane", "main_pane"},
        {":page /std_scripts/flexMessage", "main_pane"},
        {":pane bar /std_scripts/main_functions main.gui", "bar"},
        {":pane bar /std_scripts/highlightFishPage main.gui", "bar"},
        {":pane tutorial_pane /std_scripts/tutorial_page", "tutorial_pane"},
        {":pane tf /std_scripts/tnkfl", "tf"},
        {":pane tf /std_scripts/tmf", "tf"},
    };
    for (auto const& p : pages) {
        SCOPED_TRACE(p.script);
        runStringScript(shopKeeper, p.script);
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        EXPECT_EQ(scriptError, 0);
        EXPECT_NE(controlPanel->findExistingPane(p.pane), nullptr);
        frame();
    }
}

// Pages drawn inside the panel on screens of several shapes: the help page's text lies in
// the pane from its left part to its right, and no letter of it lies beyond the pane; with
// the tank paused (p) the interface still moves: a page opened then is drawn where its
// widgets are, not frozen part way.
struct CpageCase {
    int width, height;
    char const *page, *widget; // the widget whose letters must show
    bool paused;
    bool wide; // its lines run across the pane, from its left half to its right
};

void PrintTo(CpageCase const& c, std::ostream* out) {
    *out << c.width << "x" << c.height << " " << c.page << (c.paused ? " paused" : "");
}

class PageInPanel : public PanelFrames, public ::testing::WithParamInterface<CpageCase> {};

TEST_P(PageInPanel, DrawnInsideThePanel) {
    REQUIRE_OFFSCREEN();
    CpageCase const& c = GetParam();
    ASSERT_NE(start(true, c.width, c.height), nullptr) << logs().substr(0, 2000);
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    if (c.paused) shopKeeper->keyPressed('p');
    EXPECT_EQ(enableAnim, c.paused ? 0 : 1);
    for (int i = 0; i < 5; i++)
        view->animateOneFrame();
    runStringScript(shopKeeper, (std::string(":page ") + c.page + " main_pane").c_str());
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    CgroupWidgetVar* pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr);
    CwidgetVar* shown = find(pane, c.widget);
    ASSERT_NE(shown, nullptr);
    for (int i = 0; i < 30; i++)
        view->animateOneFrame();
    std::vector<uint8_t> px = interfaceFrame();
    pane->updateRect();
    shown->updateRect();
    Crect r = pane->rect, t = shown->rect;
    EXPECT_GE(t.minx, r.minx);
    EXPECT_LE(t.maxx, r.maxx);
    Crect const& g = controlPanel->display->guiViewportRect;
    Crect left(r.minx, r.centerx(), t.miny, t.maxy), right(r.centerx(), r.maxx, t.miny, t.maxy);
    EXPECT_GT(lightPixels(px, t), 20) << "letters where the widget is";
    if (c.wide) {
        EXPECT_GT(lightPixels(px, left), 20) << "letters in the pane's left half";
        EXPECT_GT(lightPixels(px, right), 20) << "letters in the pane's right half";
    }
    // Beside the pane and its border, in the widget's rows, only the clear colour (the tank is
    // hidden).
    for (Crect const& out :
         {Crect(g.minx, r.minx - 0.02f, t.miny, t.maxy), Crect(r.maxx + 0.02f, g.maxx, t.miny, t.maxy)})
        EXPECT_EQ(lightPixels(px, out), 0) << "letters outside the pane";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageInPanel,
    ::testing::Values(CpageCase{640, 360, "/std_scripts/help_page", "helpText", false, true},
                      CpageCase{1280, 720, "/std_scripts/help_page", "helpText", false, true},
                      CpageCase{480, 640, "/std_scripts/help_page", "helpText", false, true},
                      CpageCase{640, 360, "/std_scripts/main_page", "Help", true, false},
                      CpageCase{480, 640, "/std_scripts/help_page", "helpText", true, true}),
    [](::testing::TestParamInfo<CpageCase> const& info) {
        std::string page = std::strrchr(info.param.page, '/') + 1;
        return page + "_" + std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
               (info.param.paused ? "_paused" : "");
    });

// The faint "Menu" in the corner gives way to the bar, which has its own: hidden while the
// bar is open, back when it closes.
TEST_F(PanelFrames, TheCornerMenuHidesWhileTheBarIsOpen) {
    REQUIRE_OFFSCREEN();
    ASSERT_NE(start(), nullptr) << logs().substr(0, 2000);
    for (int i = 0; i < 60; i++)
        view->animateOneFrame();
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    CgroupWidgetVar* base = controlPanel->findExistingPane("no_pane");
    ASSERT_NE(base, nullptr);
    CwidgetVar* label = find(base, "Menu");
    CwidgetVar* button = find(base, "menuHint");
    ASSERT_TRUE(label && button);
    struct {
        char const* script;
        bool shown;
    } const steps[] = {{":pane bar off", true},
                       {":pane bar /std_scripts/main_functions main.gui", false},
                       {":pane bar off", true},
                       {":pane bar /std_scripts/highlightFishPage main.gui", false}};
    for (auto const& step : steps) {
        runStringScript(shopKeeper, step.script);
        for (int i = 0; i < 3; i++)
            view->animateOneFrame();
        std::vector<uint8_t> px = interfaceFrame();
        for (CwidgetVar* w : {label, button})
            EXPECT_EQ(w->imageBox && w->imageBox->quadShown(), step.shown) << step.script << " " << w->name;
        // The faint letters, where no text of the bar lies (the fish's notes run there).
        label->updateRect();
        if (std::strstr(step.script, "highlightFishPage") == nullptr)
            EXPECT_EQ(lightPixels(px, label->rect, 40) > 10, step.shown) << step.script;
    }
}

} // namespace
