#include "contactSheet.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "data/imageIO.h"
#include "graphics/texturedGeo.h"
#include "host/glContext.h"
#include "host/glHeaders.h"

namespace fs = std::filesystem;

std::vector<std::string> findSheetModels(std::string const& root) {
    std::vector<std::string> found;
    for (char const* top : {"species", "tanks"}) {
        std::error_code ec;
        if (!fs::is_directory(fs::path(root) / top, ec)) continue;
        for (auto const& e : fs::recursive_directory_iterator(fs::path(root) / top, ec)) {
            std::string ext = e.path().extension().string();
            if (e.is_regular_file() && (ext == ".geo" || ext == ".tree"))
                found.push_back(fs::relative(e.path(), root).generic_string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

namespace {

// The first picture in the model's "arrays" folder, as a GL texture; 0 without one.
unsigned loadModelTexture(fs::path const& modelFile) {
    std::error_code ec;
    std::vector<fs::path> pictures;
    for (auto const& e : fs::directory_iterator(modelFile.parent_path() / "arrays", ec))
        if (e.path().extension() == ".sgi") pictures.push_back(e.path());
    if (pictures.empty()) return 0;
    std::sort(pictures.begin(), pictures.end());
    imageFile image;
    if (!image.loadImage(pictures.front().string().c_str(), true) || image.bytesPerChannel != 1) return 0;
    static const GLenum formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    std::vector<uint8_t> px(static_cast<size_t>(image.width) * image.height * image.channels);
    for (int y = 0; y < image.height; y++)
        std::copy_n(image.getScanLineAddress(0, y, 0), image.stride(), &px[y * image.stride()]);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(formats[image.channels - 1]), image.width, image.height,
                 0, formats[image.channels - 1], GL_UNSIGNED_BYTE, px.data());
    return tex;
}

// Points the cell's camera at the model: a three-quarter view from a little above, fitted
// to the model's bounds.
void frameModel(CtexturedGeo const& geo, int pos) {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (int p = 0; p < geo.numPoints; p++)
        for (int k = 0; k < 3; k++) {
            lo[k] = std::min(lo[k], geo.pointRecord(p)[pos + k]);
            hi[k] = std::max(hi[k], geo.pointRecord(p)[pos + k]);
        }
    float r = 0.5f * std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                               (hi[2] - lo[2]) * (hi[2] - lo[2]));
    r = std::max(r, 0.05f) * 1.08f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-r, r, -r, r, -10 * r, 10 * r);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(18.0f, 1, 0, 0);
    glRotatef(-24.0f, 0, 1, 0);
    glTranslatef(-(lo[0] + hi[0]) / 2, -(lo[1] + hi[1]) / 2, -(lo[2] + hi[2]) / 2);
}

void drawPolygons(CtexturedGeo const& geo, unsigned tex) {
    int pos = geo.findAttrib("pos", 0), n = geo.findAttrib("N", 0), uv = geo.findAttrib("uv", 0);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    GLfloat dir[4] = {0.35f, 0.85f, 0.6f, 0.0f}, ambient[4] = {0.35f, 0.38f, 0.42f, 1},
            white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, dir);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    if (tex) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tex);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.05f);
    for (int i = 0; i < geo.numPolygons; i++) {
        int count = geo.polygonSize(i);
        short const* idx = geo.polygonIndices(i);
        glBegin(GL_POLYGON);
        for (int v = 0; v < count; v++) {
            float const* rec = geo.pointRecord(idx[v]);
            if (n >= 0) glNormal3fv(rec + n);
            if (uv >= 0) glTexCoord2fv(rec + uv);
            glVertex3fv(rec + pos);
        }
        glEnd();
    }
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}

// Points in warm yellow, each joined to its parent ("parentMat") in pale blue.
void drawPoints(CtexturedGeo const& geo) {
    int pos = geo.findAttrib("pos", 0), parent = geo.findAttrib("parentMat", 0);
    if (parent >= 0) {
        glColor3f(0.55f, 0.75f, 0.95f);
        glBegin(GL_LINES);
        for (int p = 0; p < geo.numPoints; p++) {
            int q = static_cast<int>(geo.pointRecord(p)[parent]);
            if (q < 0 || q >= geo.numPoints) continue;
            glVertex3fv(geo.pointRecord(q) + pos);
            glVertex3fv(geo.pointRecord(p) + pos);
        }
        glEnd();
    }
    glPointSize(5.0f);
    glColor3f(1.0f, 0.85f, 0.35f);
    glBegin(GL_POINTS);
    for (int p = 0; p < geo.numPoints; p++)
        glVertex3fv(geo.pointRecord(p) + pos);
    glEnd();
}

} // namespace

CcontactSheet renderContactSheet(std::string const& root, std::vector<std::string> const& models, int cell,
                                 int columns) {
    CcontactSheet sheet;
    if (models.empty() || cell < 16 || columns < 1) return sheet;
    int rows = (static_cast<int>(models.size()) + columns - 1) / columns;
    int w = cell * columns, h = cell * rows;
    std::unique_ptr<CglContext> context(createOffscreenContext(w, h));
    if (!context) {
        std::fprintf(stderr, "contact sheet: no offscreen context: %s\n", lastContextError().c_str());
        return sheet;
    }
    glClearColor(0.08f, 0.1f, 0.13f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_SCISSOR_TEST);
    for (size_t i = 0; i < models.size(); i++) {
        int cx = static_cast<int>(i) % columns, cy = rows - 1 - static_cast<int>(i) / columns;
        glViewport(cx * cell, cy * cell, cell, cell);
        glScissor(cx * cell, cy * cell, cell, cell);
        float shade = ((cx + cy) & 1) ? 0.16f : 0.13f;
        glClearColor(shade, shade * 1.15f, shade * 1.35f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        fs::path file = fs::path(root) / models[i];
        CtexturedGeo geo;
        if (geo.loadTexturedGeo(file.string().c_str()) != 0 || geo.numPoints == 0) {
            std::fprintf(stderr, "contact sheet: %s does not load\n", models[i].c_str());
            return {};
        }
        frameModel(geo, geo.findAttrib("pos", 0));
        if (geo.numPolygons > 0) {
            unsigned tex = loadModelTexture(file);
            drawPolygons(geo, tex);
            if (tex) glDeleteTextures(1, &tex);
        } else {
            drawPoints(geo);
        }
    }
    glFinish();
    std::vector<uint8_t> bottomUp(static_cast<size_t>(w) * h * 4);
    if (context->readPixels(0, 0, w, h, bottomUp.data()) != 0) return sheet;
    sheet.width = w;
    sheet.height = h;
    sheet.cell = cell;
    sheet.columns = columns;
    sheet.rgba.resize(bottomUp.size());
    for (int y = 0; y < h; y++)
        std::copy_n(&bottomUp[static_cast<size_t>(h - 1 - y) * w * 4], w * 4,
                    &sheet.rgba[static_cast<size_t>(y) * w * 4]);
    return sheet;
}

bool writeSheetPng(CcontactSheet const& sheet, std::string const& path) {
    if (sheet.rgba.empty()) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png && info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(sheet.width), static_cast<png_uint_32>(sheet.height),
                     8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < sheet.height; y++)
            png_write_row(png, const_cast<png_bytep>(&sheet.rgba[static_cast<size_t>(y) * sheet.width * 4]));
        png_write_end(png, info);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    std::fclose(file);
    return ok;
}
