// Text widgets with the interface's font: the size they render at, the width they wrap at
// and the part of their texture their quad shows.
#include "interfaceTestSupport.h"

#include "data/dataArray.h"
#include "interface/fishFont.h"
#include "interface/fontStyle.h"

namespace {

class TextWidgets : public PanelFixture {
  protected:
    // Where the layout's pen stands after the text's last character (one line, no wrapping):
    // the line's width less the blank the layout appends and its one extra column.
    float penAfter(char const* text, float size) {
        Cstring t(text);
        CfontStyle s;
        s.size = size;
        s.lineSpacing = 1.1f;
        s.wrapWidth = 100000;
        s.font = panel->font();
        s.justification = 1;
        CreturnFontSpec measured;
        EXPECT_EQ(fillWithFont(t, nullptr, s, measured), 0);
        return static_cast<float>(measured.lineWidth[0]) - 1.0f - 22.0f * size / (s.font->height - 2);
    }
};

// A text wraps at H / 1.04 x k x wrapWidth x the parent's width pixels (k = 1.5 while the
// size fits the font): each line fits, and each line with the next word would not.
TEST_F(TextWidgets, ALongTextWrapsAtItsParentsWidth) {
    char const* words[] = {"Velmora", "keeps", "fish", "that", "swim", "school",
                           "and",     "feed",  "in",   "its",  "tanks"};
    std::string text;
    for (char const* w : words)
        text += std::string(text.empty() ? "" : " ") + w;
    pane(":group { :set name box :set size .18 .5 :text \"" + text + "\" { :set name t :set justify 1 } }");
    auto* t = widget<CtextWidgetVar>("t");
    auto* box = widget<CgroupWidgetVar>("box");
    ASSERT_TRUE(t && box);
    float size = kHeight / 700.0f * 32.0f; // under the cap of 50: k = 1.5
    int wrap = static_cast<int>(kHeight / 1.04f * 1.5f * 1.0f * box->rect.width());
    std::string rewritten = t->shownContents.c_str();
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        size_t end = rewritten.find("\\n", start);
        lines.push_back(rewritten.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    ASSERT_GE(lines.size(), 3u) << rewritten;
    std::string joined;
    for (size_t i = 0; i < lines.size(); i++) {
        SCOPED_TRACE(lines[i]);
        joined += (i ? " " : "") + lines[i];
        EXPECT_LE(penAfter(lines[i].c_str(), size), wrap + 1.0f);
        if (i + 1 < lines.size()) {
            std::string next = lines[i] + " " + lines[i + 1].substr(0, lines[i + 1].find(' '));
            EXPECT_GT(penAfter(next.c_str(), size), wrap - 1.0f) << "the next word would fit";
        }
    }
    EXPECT_EQ(joined, text) << "no word lost or split";
}

// The quad shows the used part of the texture at 1.04 / k of the rendered pixels: base UVs
// are the measured size over the texture's, and a size past the font's cap is held there,
// the quad keeping its screen size.
TEST_F(TextWidgets, TheQuadShowsTheMeasuredPartAtTheRenderedScale) {
    struct {
        float fontSize;
        float k;
    } const cases[] = {{32.0f, 1.5f}, {80.0f, 1.5f * 50.0f / (720.0f / 700.0f * 80.0f)}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.fontSize);
        panel->fontSize = c.fontSize;
        pane(":text \"Velmora 123\" { :set name t }");
        auto* t = widget<CtextWidgetVar>("t");
        ASSERT_NE(t, nullptr);
        ASSERT_NE(t->texture, nullptr);
        CdataArray* a = t->texture->array;
        ASSERT_NE(a, nullptr);
        int texW = a->res[0], texH = a->res[1];
        EXPECT_EQ(texW, powerOfTwoAtLeast(texW));
        EXPECT_EQ(texH, powerOfTwoAtLeast(texH));
        float measuredW = t->baseUV[0] * texW, measuredH = t->baseUV[1] * texH;
        EXPECT_LE(measuredW, texW);
        EXPECT_GT(measuredW, texW / 2.0f);
        // Screen size in interface units (one unit is the screen's height).
        EXPECT_NEAR(t->rect.width(), 1.04f / c.k * measuredW / kHeight, 1e-4);
        EXPECT_NEAR(t->rect.height(), 1.04f / c.k * measuredH / kHeight, 1e-4);
        ASSERT_NE(t->imageBox, nullptr);
        float const expected[4][2] = {
            {0, 0}, {t->baseUV[0], 0}, {0, t->baseUV[1]}, {t->baseUV[0], t->baseUV[1]}};
        for (int corner = 0; corner < 4; corner++) {
            EXPECT_FLOAT_EQ(t->imageBox->cornerUV(corner)[0], expected[corner][0]);
            EXPECT_FLOAT_EQ(t->imageBox->cornerUV(corner)[1], expected[corner][1]);
        }
        panel->closePane("test");
        frames(1);
    }
}

// Changed contents are laid out once: the rewritten text becomes what is shown, so the next
// update keeps the texture.
TEST_F(TextWidgets, NewContentsAreLaidOutOnce) {
    runStringScript(&scene, ":string label \"first words\"");
    pane(":group { :set size .05 .5 :text $label { :set name t } }");
    auto* t = widget<CtextWidgetVar>("t");
    CtextureImage* first = t->texture;
    ASSERT_NE(first, nullptr);
    frames(2);
    EXPECT_EQ(t->texture, first);
    EXPECT_EQ(t->contents, t->shownContents);
    scene.getChild("label")->setString("other words here");
    frames(1);
    EXPECT_NE(t->texture, nullptr);
    EXPECT_STREQ(t->shownContents.c_str(), "other\\nwords\\nhere") << "wrapped to the narrow group";
    CtextureImage* second = t->texture;
    frames(2);
    EXPECT_EQ(t->texture, second);
}

} // namespace
