#include "tools/picture_encoders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace zeb::tools {

namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeBmp(int width, int height, int bit_count, const PixelFunction& pixel,
                      const std::vector<uint32_t>& palette) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("empty picture");
  const bool indexed = bit_count <= 8;
  if (indexed && palette.size() != (1u << bit_count)) throw std::invalid_argument("palette size");
  const uint32_t stride = ((static_cast<uint32_t>(width) * bit_count + 31) / 32) * 4;
  const uint32_t table = indexed ? 4u * static_cast<uint32_t>(palette.size()) : 0;
  const uint32_t offset = 14 + 40 + table;
  const uint32_t image = stride * static_cast<uint32_t>(height);
  std::string out;
  out.reserve(offset + image);
  out += "BM";
  PutLe(out, offset + image, 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(height), 4);
  PutLe(out, 1, 2);
  PutLe(out, static_cast<uint32_t>(bit_count), 2);
  PutLe(out, 0, 4);  // BI_RGB
  PutLe(out, image, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, indexed ? static_cast<uint32_t>(palette.size()) : 0, 4);
  PutLe(out, 0, 4);
  for (uint32_t colour : palette) PutLe(out, colour & 0xFFFFFF, 4);  // blue, green, red, 0
  std::string row(stride, '\0');
  for (int y = height - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), '\0');
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixel(x, y);
      switch (bit_count) {
        case 1:
          row[x / 8] = static_cast<char>(row[x / 8] | ((p & 1) << (7 - x % 8)));
          break;
        case 4:
          row[x / 2] = static_cast<char>(row[x / 2] | ((p & 15) << (x % 2 ? 0 : 4)));
          break;
        case 8:
          row[x] = static_cast<char>(p);
          break;
        case 24:
        case 32: {
          size_t at = static_cast<size_t>(x) * (bit_count / 8);
          row[at] = static_cast<char>(p & 0xFF);
          row[at + 1] = static_cast<char>((p >> 8) & 0xFF);
          row[at + 2] = static_cast<char>((p >> 16) & 0xFF);
          break;
        }
        default:
          throw std::invalid_argument("unsupported depth");
      }
    }
    out += row;
  }
  return out;
}

std::string EncodeJpeg(int width, int height, const PixelFunction& rgb, int quality) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      uint32_t p = rgb(x, y);
      row[x * 3] = static_cast<JSAMPLE>((p >> 16) & 0xFF);
      row[x * 3 + 1] = static_cast<JSAMPLE>((p >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<JSAMPLE>(p & 0xFF);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

}  // namespace zeb::tools
