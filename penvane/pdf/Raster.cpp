#include "Raster.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "PdfError.h"

namespace penvane {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The next header number of a PPM, past white space and comments.
bool HeaderNumber(FILE* f, long* value) {
    int c = std::fgetc(f);
    for (;;) {
        while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = std::fgetc(f);
        if (c != '#') break;
        while (c != EOF && c != '\n') c = std::fgetc(f);
    }
    if (c < '0' || c > '9') return false;
    long v = 0;
    while (c >= '0' && c <= '9') {
        if (v > 1000000) return false;
        v = v * 10 + (c - '0');
        c = std::fgetc(f);
    }
    *value = v;
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';  // one white space ends the header
}

PixelBox Clip(PixelBox b, const Raster& r) {
    b.x0 = std::max(b.x0, 0);
    b.y0 = std::max(b.y0, 0);
    b.x1 = std::min(b.x1, r.width);
    b.y1 = std::min(b.y1, r.height);
    return b;
}

// libpng reports errors by longjmp; this keeps only plain data on the
// stack between setjmp and the calls that may jump.
bool WritePngRows(FILE* f, const Raster& picture, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    // Flat areas of a rendered page: a fast level compresses them well.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

Raster::Raster(int w, int h, Rgb fill) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = fill.r;
        rgb[i + 1] = fill.g;
        rgb[i + 2] = fill.b;
    }
}

Raster ReadPpm(const std::string& path) {
    Raster r;
    ReadPpm(path, &r);
    return r;
}

void ReadPpm(const std::string& path, Raster* r) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) throw PdfError("the rendered page " + path + " cannot be read");
    long width = 0, height = 0, maxValue = 0;
    if (std::fgetc(f.get()) != 'P' || std::fgetc(f.get()) != '6' || !HeaderNumber(f.get(), &width) ||
        !HeaderNumber(f.get(), &height) || !HeaderNumber(f.get(), &maxValue) || maxValue != 255 || width <= 0 ||
        height <= 0)
        throw PdfError("the rendered page " + path + " is not an 8-bit PPM picture");
    r->width = static_cast<int>(width);
    r->height = static_cast<int>(height);
    r->rgb.resize(static_cast<size_t>(width) * height * 3);
    if (std::fread(r->rgb.data(), 1, r->rgb.size(), f.get()) != r->rgb.size())
        throw PdfError("the rendered page " + path + " is cut short");
}

void WritePng(const Raster& picture, const std::string& path) {
    if (picture.Empty()) throw PdfError("no picture to write to " + path);
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) throw PdfError("the picture " + path + " cannot be written: " + std::strerror(errno));
    std::vector<png_bytep> rows(static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y)
        rows[y] = const_cast<png_bytep>(picture.At(0, y));
    const bool written = WritePngRows(f.get(), picture, rows);
    FILE* raw = f.release();
    if (!written || std::fclose(raw) != 0) {
        std::remove(path.c_str());
        throw PdfError("the picture " + path + " could not be written");
    }
}

void FillBox(Raster& r, PixelBox box, Rgb colour) { ShadeBox(r, box, colour, 255); }

void ShadeBox(Raster& r, PixelBox box, Rgb colour, int alpha) {
    box = Clip(box, r);
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            uint8_t* p = r.At(x, y);
            p[0] = static_cast<uint8_t>((p[0] * (255 - alpha) + colour.r * alpha) / 255);
            p[1] = static_cast<uint8_t>((p[1] * (255 - alpha) + colour.g * alpha) / 255);
            p[2] = static_cast<uint8_t>((p[2] * (255 - alpha) + colour.b * alpha) / 255);
        }
}

void FrameBox(Raster& r, PixelBox b, Rgb colour, int t) {
    FillBox(r, {b.x0 - t, b.y0 - t, b.x1 + t, b.y0}, colour);
    FillBox(r, {b.x0 - t, b.y1, b.x1 + t, b.y1 + t}, colour);
    FillBox(r, {b.x0 - t, b.y0, b.x0, b.y1}, colour);
    FillBox(r, {b.x1, b.y0, b.x1 + t, b.y1}, colour);
}

void Paste(Raster& r, const Raster& source, int x, int y) {
    PixelBox target = Clip({x, y, x + source.width, y + source.height}, r);
    for (int ty = target.y0; ty < target.y1; ++ty)
        std::memcpy(r.At(target.x0, ty), source.At(target.x0 - x, ty - y), static_cast<size_t>(target.x1 - target.x0) * 3);
}

}  // namespace penvane
