#include "PadGeometry.h"

#include <algorithm>

namespace quillix {

int32_t PixelToLogical(int32_t pixel, int32_t pixels, int32_t extent)
{
    pixels = std::max(pixels, 1);
    extent = std::max(extent, 1);
    const int64_t p = std::clamp(pixel, 0, pixels - 1);
    const int64_t logical = ((2 * p + 1) * extent) / (2 * int64_t{pixels});
    return static_cast<int32_t>(std::min<int64_t>(logical, extent));
}

int32_t LogicalToPixel(int32_t logical, int32_t extent, int32_t pixels)
{
    pixels = std::max(pixels, 1);
    extent = std::max(extent, 1);
    const int64_t l = std::clamp(logical, 0, extent);
    const int64_t pixel = (l * pixels) / extent;
    return static_cast<int32_t>(std::min<int64_t>(pixel, pixels - 1));
}

} // namespace quillix
