#include "ImageDiff.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace penvane {
namespace {

bool Inside(const PixelBox& b, int x, int y) { return x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1; }

void Grow(PixelBox* b, int x0, int y0, int x1, int y1) {
    if (b->Empty()) {
        *b = {x0, y0, x1, y1};
        return;
    }
    b->x0 = std::min(b->x0, x0);
    b->y0 = std::min(b->y0, y0);
    b->x1 = std::max(b->x1, x1);
    b->y1 = std::max(b->y1, y1);
}

uint32_t Packed(const uint8_t* p) { return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]; }

// The most common colour of `box` in `r`.
uint32_t Background(const Raster& r, PixelBox b) {
    std::unordered_map<uint32_t, int> counts;
    uint32_t best = 0xFFFFFF;
    int most = 0;
    for (int y = std::max(b.y0, 0); y < std::min(b.y1, r.height); ++y)
        for (int x = std::max(b.x0, 0); x < std::min(b.x1, r.width); ++x) {
            const uint32_t c = Packed(r.At(x, y));
            if (++counts[c] > most) {
                most = counts[c];
                best = c;
            }
        }
    return best;
}

}  // namespace

PageDifference ComparePages(const Raster& before, const Raster& after, const std::vector<ExemptBox>& exempt, int gap) {
    PageDifference result;
    result.inExempt.resize(exempt.size());
    result.overContent.resize(exempt.size());
    std::vector<uint32_t> background(exempt.size());
    for (size_t i = 0; i < exempt.size(); ++i)
        if (exempt[i].backgroundOnly) background[i] = Background(before, exempt[i].box);
    const int w = after.width, h = after.height;
    // Differing pixels are gathered into cells of `cell` pixels; cells that
    // differ and lie within `reach` cells of each other form one area.
    const int cell = std::max(1, gap / 2);
    const int reach = 2;
    const int cw = (w + cell - 1) / cell, ch = (h + cell - 1) / cell;
    std::vector<PixelBox> cells(static_cast<size_t>(cw) * ch);  // differing pixels' bounds per cell
    bool any = false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* a = before.At(0, y);
        const uint8_t* b = after.At(0, y);
        if (std::memcmp(a, b, static_cast<size_t>(w) * 3) == 0) continue;  // most rows are alike
        for (int x = 0; x < w; ++x) {
            if (a[x * 3] == b[x * 3] && a[x * 3 + 1] == b[x * 3 + 1] && a[x * 3 + 2] == b[x * 3 + 2]) continue;
            bool exempted = false;
            for (size_t i = 0; i < exempt.size(); ++i)
                if (Inside(exempt[i].box, x, y)) {
                    Grow(&result.inExempt[i], x, y, x + 1, y + 1);
                    if (exempt[i].backgroundOnly && Packed(before.At(x, y)) != background[i])
                        Grow(&result.overContent[i], x, y, x + 1, y + 1);
                    exempted = true;
                }
            if (exempted) continue;
            Grow(&cells[static_cast<size_t>(y / cell) * cw + x / cell], x, y, x + 1, y + 1);
            any = true;
        }
    }
    if (!any) return result;
    // Connected groups of differing cells, by a flood fill over the grid.
    std::vector<char> seen(cells.size(), 0);
    std::vector<int> stack;
    for (size_t start = 0; start < cells.size(); ++start) {
        if (seen[start] || cells[start].Empty()) continue;
        PixelBox area;
        seen[start] = 1;
        stack.push_back(static_cast<int>(start));
        while (!stack.empty()) {
            const int c = stack.back();
            stack.pop_back();
            const PixelBox& p = cells[c];
            Grow(&area, p.x0, p.y0, p.x1, p.y1);
            const int cx = c % cw, cy = c / cw;
            for (int ny = std::max(0, cy - reach); ny <= std::min(ch - 1, cy + reach); ++ny)
                for (int nx = std::max(0, cx - reach); nx <= std::min(cw - 1, cx + reach); ++nx) {
                    const size_t n = static_cast<size_t>(ny) * cw + nx;
                    if (!seen[n] && !cells[n].Empty()) {
                        seen[n] = 1;
                        stack.push_back(static_cast<int>(n));
                    }
                }
        }
        result.areas.push_back(area);
    }
    // Boxes that grew into each other are one area.
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < result.areas.size() && !merged; ++i)
            for (size_t j = i + 1; j < result.areas.size() && !merged; ++j) {
                const PixelBox& a = result.areas[i];
                const PixelBox& b = result.areas[j];
                if (a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1) {
                    Grow(&result.areas[i], b.x0, b.y0, b.x1, b.y1);
                    result.areas.erase(result.areas.begin() + static_cast<long>(j));
                    merged = true;
                }
            }
    }
    std::sort(result.areas.begin(), result.areas.end(),
              [](const PixelBox& a, const PixelBox& b) { return a.y0 != b.y0 ? a.y0 < b.y0 : a.x0 < b.x0; });
    return result;
}

}  // namespace penvane
