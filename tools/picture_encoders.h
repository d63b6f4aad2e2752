// Writes pictures for the sample set: BMP files of every common depth and baseline JPEG files. Pixels
// come from a function of the position, so large pictures cost no extra copy.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zeb::tools {

// 0x00RRGGBB for 24 and 32 bits; a colour-table index for 1, 4 and 8 bits.
using PixelFunction = std::function<uint32_t(int x, int y)>;

// A bottom-up BI_RGB BMP file. PALETTE (0x00RRGGBB) is required for 1, 4 and 8 bits.
std::string EncodeBmp(int width, int height, int bit_count, const PixelFunction& pixel,
                      const std::vector<uint32_t>& palette = {});
// A baseline JPEG file with 4:2:0 chroma.
std::string EncodeJpeg(int width, int height, const PixelFunction& rgb, int quality = 88);

}  // namespace zeb::tools
