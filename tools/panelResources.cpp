#include "panelResources.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>

#include "modelWriter.h"

namespace {

using Pixels = std::vector<uint8_t>;
struct Crgba {
    double r, g, b, a;
};
// Fills a w x h RGBA picture, row 0 at the bottom; paint gets the pixel centre in 0..1.
Pixels paint(int w, int h, std::function<Crgba(double u, double v)> const& at) {
    Pixels px(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Crgba c = at((x + 0.5) / w, (y + 0.5) / h);
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            for (int k = 0; k < 4; k++) {
                double v = k == 0 ? c.r : k == 1 ? c.g : k == 2 ? c.b : c.a;
                p[k] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
            }
        }
    return px;
}

// Coverage of a shape from its signed distance in pixels (negative inside).
double cover(double distance) {
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

// Signed distance from (x, y) to a rounded rectangle centred on (cx, cy).
double roundedBox(double x, double y, double cx, double cy, double halfW, double halfH, double radius) {
    double qx = std::fabs(x - cx) - halfW + radius, qy = std::fabs(y - cy) - halfH + radius;
    double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// Distance from (x, y) to the segment a-b.
double segment(double x, double y, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - ax - t * dx, y - ay - t * dy);
}

bool writeRgba(std::string const& path, int w, int h, std::function<Crgba(double, double)> const& at) {
    return writeSgi(path, w, h, 4, paint(w, h, at));
}

// A colour picture as a JPEG and its alpha as a one-channel ".alpha" picture: the pair the
// engine loads for a four-channel request of an ".sgi" name.
bool writeJpegAndAlpha(std::string const& jpegPath, int w, int h,
                       std::function<Crgba(double, double)> const& at) {
    Pixels px = paint(w, h, at);
    Pixels rgb, alpha;
    // JPEG rows run top first.
    for (int y = h - 1; y >= 0; y--)
        for (int x = 0; x < w; x++)
            for (int k = 0; k < 3; k++)
                rgb.push_back(px[(static_cast<size_t>(y) * w + x) * 4 + k]);
    for (size_t i = 0; i < px.size(); i += 4)
        alpha.push_back(px[i + 3]);
    makeParentFolders(jpegPath);
    FILE* out = std::fopen(jpegPath.c_str(), "wb");
    if (out == nullptr) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * w * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool closed = std::fclose(out) == 0;
    std::string alphaPath = jpegPath.substr(0, jpegPath.size() - 3) + "alpha";
    return closed && writeSgi(alphaPath, w, h, 1, alpha);
}

// ---- the model ----

bool writePanelModel(std::string const& path) {
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("uv", 2);
    m.attrib("Cd", 4);
    m.attrib("panel", 1);
    m.point({0, 0, 0, 0, 0, 1, 1, 1, 1, -1});
    const float corner[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < kPanelQuads; i++) {
        int p[4];
        for (int c = 0; c < 4; c++)
            p[c] = m.point({corner[c][0], corner[c][1], 0, corner[c][0], corner[c][1], 1, 1, 1, 1, float(i)});
        m.polygon({p[0], p[1], p[3], p[2]}, ("mat_ib" + std::to_string(i) + "_ta").c_str());
    }
    // The frame: inner corners (v 0), then outer corners (v 1); four strips between them.
    int f[8];
    for (int k = 0; k < 8; k++)
        f[k] = m.point({corner[k & 3][0], corner[k & 3][1], 0, 0.5f, k < 4 ? 0.0f : 1.0f, 1, 1, 1, 1, -2});
    for (auto const& strip : {std::array<int, 4>{0, 1, 5, 4}, std::array<int, 4>{1, 3, 7, 5},
                              std::array<int, 4>{3, 2, 6, 7}, std::array<int, 4>{2, 0, 4, 6}})
        m.polygon({f[strip[0]], f[strip[1]], f[strip[2]], f[strip[3]]}, "mat_panel_bg_ta");
    return m.write(path);
}

// A quad's material: its picture tinted by the corner colours, blended over the scene
// without depth, premultiplied. texture is the picture it shows before a widget gives it
// one (the background quad keeps its own).
std::string quadMaterial(char const* texture, char const* about) {
    std::string text = std::string("// ") + about +
                       "\n"
                       ":set shaderMode (~POS)\n"
                       ":GLSLshader\n"
                       ":addStage {\n"
                       "\t:tex " +
                       texture +
                       "\n"
                       "\t:uvIndex 0\n"
                       "}\n"
                       ":dynamic pos\n"
                       ":dynamic uv\n"
                       ":dynamic color\n"
                       ":ignoreDepthTest\n"
                       ":ignoreDepthWrite\n"
                       ":vshader \"varying vec2 uv;\"\n"
                       ":vshader \"varying vec4 tint;\"\n"
                       ":vshader \"void main() {\"\n"
                       ":vshader \"  pos_func\"\n"
                       ":vshader \"  uv = gl_MultiTexCoord0.xy;\"\n"
                       ":vshader \"  tint = gl_Color;\"\n"
                       ":vshader \"}\"\n"
                       ":fshader \"uniform sampler2D tex1;\"\n"
                       ":fshader \"varying vec2 uv;\"\n"
                       ":fshader \"varying vec4 tint;\"\n"
                       ":fshader \"void main() {\"\n"
                       ":fshader \"  vec4 c = texture2D(tex1, uv) * tint;\"\n"
                       ":fshader \"  gl_FragColor = vec4(c.rgb * c.a, c.a);\"\n"
                       ":fshader \"}\"\n";
    return text;
}

bool writeText(std::string const& path, std::string const& text) {
    makeParentFolders(path);
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// ---- pictures ----

// The panel's background: deep water blue, darker below, a little see-through.
Crgba panelBack(double, double v) {
    return {0.03 + 0.05 * v, 0.10 + 0.10 * v, 0.16 + 0.12 * v, 0.80};
}

// The frame: a pale rim at the panel's edge fading outwards (v 0 inner, 1 outer).
Crgba panelEdge(double, double v) {
    double rim = std::exp(-std::pow((v - 0.15) / 0.12, 2.0));
    return {0.55, 0.85, 0.95, 0.9 * rim + 0.25 * (1.0 - v)};
}

// A rounded button face, brighter at the top; widgets tint it.
Crgba button(double u, double v) {
    double d = roundedBox(u * 128, v * 64, 64, 32, 62, 30, 14);
    double shade = 0.78 + 0.22 * v;
    double rim = cover(std::fabs(d + 2.5) - 1.5);
    double a = cover(d);
    return {shade * (1 - 0.4 * rim), shade * (1 - 0.3 * rim), shade, a * 0.92};
}

// The value slider's knob: a disc with a darker rim.
Crgba knob(double u, double v) {
    double d = std::hypot(u - 0.5, v - 0.5) * 64 - 28;
    double rim = cover(std::fabs(d + 3) - 2);
    double shade = 0.85 + 0.15 * v;
    return {shade * (1 - 0.5 * rim), shade * (1 - 0.4 * rim), shade * (1 - 0.2 * rim), cover(d)};
}

// The value slider's track: a thin groove across.
Crgba track(double u, double v) {
    double d = roundedBox(u * 256, v * 32, 128, 16, 124, 5, 5);
    return {0.45, 0.6, 0.7, cover(d) * 0.8};
}

// A round icon: a disc with a symbol of strokes drawn through it.
Crgba icon(double u, double v, std::vector<std::array<double, 4>> const& strokes) {
    double x = u * 64, y = v * 64;
    double disc = std::hypot(x - 32, y - 32) - 29;
    double mark = 1e9;
    for (auto const& s : strokes)
        mark = std::min(mark, segment(x, y, s[0], s[1], s[2], s[3]) - 3.2);
    double m = cover(mark);
    return {0.15 + 0.85 * m, 0.35 + 0.65 * m, 0.45 + 0.55 * m, std::max(cover(disc) * 0.85, m)};
}

// The scroll bar's thumb and its track, tall pictures.
Crgba sliderThumb(double u, double v) {
    double d = roundedBox(u * 32, v * 128, 16, 64, 12, 62, 11);
    double shade = 0.7 + 0.3 * (1 - std::fabs(u - 0.5) * 2);
    return {shade * 0.75, shade * 0.92, shade, cover(d)};
}
Crgba sliderTrack(double u, double v) {
    double d = roundedBox(u * 32, v * 128, 16, 64, 7, 63, 7);
    return {0.2, 0.35, 0.45, cover(d) * 0.7};
}

std::vector<CgeneratedFile> const& outputs() {
    static std::vector<CgeneratedFile> const list = [] {
        std::vector<CgeneratedFile> l;
        l.push_back({"species/gui_panel/gui_panel.geo", writePanelModel});
        for (int i = 0; i < kPanelQuads; i++)
            l.push_back(
                {"species/gui_panel/materials/ib" + std::to_string(i) + ".mat", [i](std::string const& p) {
                     return writeText(p, i == 0 ? quadMaterial("panel_back.rgb", "The panel's background.")
                                                : quadMaterial("white.rgb", "One quad of the panel."));
                 }});
        l.push_back({"species/gui_panel/materials/panel_bg.mat", [](std::string const& p) {
                         return writeText(p, quadMaterial("panel_edge.rgb", "The frame round the panel."));
                     }});
        auto rgba = [&](char const* name, int w, int h, std::function<Crgba(double, double)> at) {
            l.push_back({std::string("species/gui_panel/arrays/") + name,
                         [w, h, at](std::string const& p) { return writeRgba(p, w, h, at); }});
        };
        rgba("white.rgb", 8, 8, [](double, double) { return Crgba{1, 1, 1, 1}; });
        rgba("panel_back.rgb", 8, 64, panelBack);
        rgba("panel_edge.rgb", 4, 32, panelEdge);
        rgba("button.rgb", 128, 64, button);
        rgba("knob.rgb", 64, 64, knob);
        rgba("track.rgb", 256, 32, track);
        rgba("close.rgb", 64, 64, [](double u, double v) {
            return icon(u, v, {{20, 20, 44, 44}, {20, 44, 44, 20}});
        });
        rgba("back.rgb", 64, 64, [](double u, double v) {
            return icon(u, v, {{18, 32, 46, 32}, {18, 32, 30, 44}, {18, 32, 30, 20}});
        });
        rgba("plus.rgb", 64, 64, [](double u, double v) {
            return icon(u, v, {{32, 16, 32, 48}, {16, 32, 48, 32}});
        });
        rgba("minus.rgb", 64, 64, [](double u, double v) { return icon(u, v, {{16, 32, 48, 32}}); });
        l.push_back({"species/gui_panel/arrays/slider.jpg",
                     [](std::string const& p) { return writeJpegAndAlpha(p, 32, 128, sliderThumb); }});
        l.push_back({"species/gui_panel/arrays/slider.alpha", [](std::string const&) { return true; }});
        l.push_back({"species/gui_panel/arrays/sliderBG.jpg",
                     [](std::string const& p) { return writeJpegAndAlpha(p, 32, 128, sliderTrack); }});
        l.push_back({"species/gui_panel/arrays/sliderBG.alpha", [](std::string const&) { return true; }});
        return l;
    }();
    return list;
}

} // namespace

std::vector<std::string> const& panelResourceFiles() {
    static std::vector<std::string> const files = generatedFileNames(outputs());
    return files;
}

int writePanelResources(std::string const& root) {
    return writeGeneratedFiles(outputs(), root, "panel");
}
