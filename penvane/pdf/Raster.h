// An RGB picture in memory: what pdftoppm draws (read from its PPM output)
// and what the comparison pictures are made of (written as PNG by libpng).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace penvane {

struct Rgb {
    uint8_t r, g, b;
};

struct Raster {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel

    Raster() = default;
    Raster(int w, int h, Rgb fill);
    bool Empty() const { return width <= 0 || height <= 0; }
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    uint8_t* At(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// A rectangle of pixels, x1 and y1 excluded.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

// Reads a binary PPM (P6, 8 bits). Throws PdfError naming the file.
Raster ReadPpm(const std::string& path);
// The same into `into`, reusing its memory: pages of one size follow each
// other, and fresh memory for each costs more than reading it.
void ReadPpm(const std::string& path, Raster* into);
// Writes `picture` as an 8-bit RGB PNG. Throws PdfError naming the file.
void WritePng(const Raster& picture, const std::string& path);

// Drawing on a picture; everything is clipped to it.
void FillBox(Raster& r, PixelBox box, Rgb colour);
// `colour` laid over the box at `alpha` (0..255), the picture showing through.
void ShadeBox(Raster& r, PixelBox box, Rgb colour, int alpha);
// A frame `thickness` pixels wide just outside `box`.
void FrameBox(Raster& r, PixelBox box, Rgb colour, int thickness);
// `source` copied with its top left corner at (x, y).
void Paste(Raster& r, const Raster& source, int x, int y);

}  // namespace penvane
