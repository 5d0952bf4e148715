// The interface's generated resources: the font strip in the layout the font reader
// expects, rendered the same on every run, and the panel's model with one quad per material.
#include <gtest/gtest.h>

#include <algorithm>

#include "fontStrip.h"
#include "graphics/geoFile.h"
#include "panelResources.h"
#include "testSupport.h"

namespace {

constexpr char const* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// The strip: one marker run per character, in order, separated by blank columns; each
// glyph's picture lies in its run's columns between the marker row and the blank top row;
// accents sit above the top of a capital scaled to 0.85, the cedilla below the baseline.
TEST(FontStrip, RunsPicturesAndAccentsInTheirPlaces) {
    if (!pathExists(kFont)) GTEST_SKIP() << "no DejaVu font";
    CfontStrip strip;
    std::string error;
    ASSERT_TRUE(renderFontStrip(kFont, strip, error)) << error;
    ASSERT_EQ(strip.height, kFontStripHeight);
    ASSERT_EQ(strip.start.size(), 105u);
    auto at = [&](int x, int y) { return strip.pixels[static_cast<size_t>(y) * strip.width + x]; };
    // The marker row, read as the engine reads it: runs of nonzero columns.
    std::vector<int> starts;
    for (int x = 0, in = 0; x <= strip.width - 2; x++) {
        if (at(x, 0) && !in) starts.push_back(x);
        in = at(x, 0) != 0;
    }
    EXPECT_EQ(starts, strip.start);
    EXPECT_EQ(at(strip.width - 1, 0), 0);
    for (int x = 0; x < strip.width; x++)
        EXPECT_EQ(at(x, strip.height - 1), 0) << "the top row stays blank";
    // Rows holding ink of glyph g.
    auto rows = [&](int g, int& low, int& high) {
        low = strip.height, high = -1;
        for (int x = strip.start[g - 1]; x < strip.start[g - 1] + strip.columns[g - 1]; x++)
            for (int y = 1; y < strip.height - 1; y++)
                if (at(x, y) > 128) low = std::min(low, y), high = std::max(high, y);
    };
    int aLow, aHigh, gLow, gHigh, accentLow, accentHigh, cedillaLow, cedillaHigh;
    rows('A' - 32, aLow, aHigh);
    rows('g' - 32, gLow, gHigh);
    EXPECT_LT(gLow, aLow) << "the descender of g below the baseline";
    EXPECT_GT(aHigh, strip.height / 2);
    for (int accent : {96, 97, 98, 99, 100, 101}) {
        SCOPED_TRACE(accent);
        rows(accent, accentLow, accentHigh);
        EXPECT_GT(accentLow, 1 + 0.85 * (aHigh - 1)) << "above a capital at 0.85";
    }
    rows(103, cedillaLow, cedillaHigh);
    EXPECT_LT(cedillaLow, aLow) << "the cedilla hangs below";

    CfontStrip again;
    ASSERT_TRUE(renderFontStrip(kFont, again, error));
    EXPECT_TRUE(again.pixels == strip.pixels) << "the same bytes every time";
    EXPECT_FALSE(renderFontStrip("/nonexistent.ttf", again, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
}

// The panel's model: point 0, then four points per quad carrying the quad's number, one
// "mat_ib<n>" group per quad in order, the frame's eight points and its group.
TEST(PanelResources, TheModelHasOneMaterialPerQuad) {
    TempDir dir;
    ASSERT_EQ(writePanelResources(dir.path()), 0);
    for (std::string const& f : panelResourceFiles())
        EXPECT_TRUE(pathExists(dir.file(f.c_str()))) << f;
    std::string bytes = readWholeFile(dir.file("species/gui_panel/gui_panel.geo"));
    CgeoFileContents geo;
    ASSERT_EQ(parseGeoFile(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(), geo), nullptr);
    ASSERT_EQ(geo.points, 1 + 4 * kPanelQuads + 8);
    int offset = 0;
    for (CgeoFileAttrib const& a : geo.attribs) {
        if (a.name == "panel") break;
        offset += a.size;
    }
    auto panelOf = [&](int p) { return geo.data[static_cast<size_t>(p * geo.floatsPerPoint + offset)]; };
    EXPECT_EQ(panelOf(0), -1);
    for (int q = 0; q < kPanelQuads; q++)
        for (int c = 0; c < 4; c++)
            ASSERT_EQ(panelOf(1 + 4 * q + c), q) << q;
    for (int k = 0; k < 8; k++)
        EXPECT_EQ(panelOf(1 + 4 * kPanelQuads + k), -2);
    std::vector<std::string> groups;
    for (CgeoFileGroup const& g : geo.primGroups)
        groups.push_back(g.name.c_str());
    ASSERT_EQ(groups.size(), static_cast<size_t>(kPanelQuads + 1));
    EXPECT_EQ(groups.front(), "mat_ib0_ta");
    EXPECT_EQ(groups[7], "mat_ib7_ta");
    EXPECT_EQ(groups.back(), "mat_panel_bg_ta");

    TempDir other;
    ASSERT_EQ(writePanelResources(other.path()), 0);
    for (std::string const& f : panelResourceFiles())
        EXPECT_TRUE(readWholeFile(dir.file(f.c_str())) == readWholeFile(other.file(f.c_str()))) << f;
    writeWholeFile(dir.file("plain"), "x");
    EXPECT_EQ(writePanelResources(dir.file("plain") + "/"), 1);
}

} // namespace
