#include "platform/graphics/raster_canvas.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/graphics/picture_bytes.h"

namespace zeb {

namespace {
uint32_t Bgr(uint8_t b, uint8_t g, uint8_t r) { return b | g << 8 | static_cast<uint32_t>(r) << 16; }
void Store(uint8_t* dst, uint32_t bgr) { std::memcpy(dst, &bgr, 4); }
uint8_t Expand5(uint32_t v) { return static_cast<uint8_t>(v << 3 | v >> 2); }

// One axis of a stretch: the visible destination span and the source index of each of its pixels.
struct AxisMap {
  int64_t first = 0, last = 0;  // visible destination range [first, last)
  std::vector<int32_t> source;
};

AxisMap MapAxis(int64_t a, int64_t b, int64_t sourceSize, int64_t limit) {
  AxisMap m;
  const bool mirrored = b < a;
  if (mirrored) std::swap(a, b);
  const int64_t size = b - a;
  m.first = std::max<int64_t>(a, 0);
  m.last = std::min<int64_t>(b, limit);
  if (size <= 0 || m.first >= m.last) {
    m.last = m.first;
    return m;
  }
  m.source.resize(static_cast<size_t>(m.last - m.first));
  for (int64_t d = m.first; d < m.last; ++d) {
    int64_t t = d - a;
    if (mirrored) t = size - 1 - t;
    // Sample at the centre of each destination pixel.
    m.source[static_cast<size_t>(d - m.first)] = static_cast<int32_t>((2 * t + 1) * sourceSize / (2 * size));
  }
  return m;
}

// A stretch of an uncompressed DIB's first SrcWidth x SrcHeight pixels (GDI counts them from the DIB's
// origin) into Dest, turned: the header's fields and the turned picture's column and row that each
// visible canvas pixel takes.
struct Stretch {
  const uint8_t* header = nullptr;
  uint16_t bitCount = 0;
  AxisMap xs, ys;
  const uint8_t* bits = nullptr;
  size_t stride = 0;
  int64_t columns = 0, rows = 0;  // the source columns and rows taken
  bool topDown = false;
  PictureTurn turn;

  // The source pixel that canvas pixel (X, Y) takes: its column, and the start of its row.
  const uint8_t* Source(int64_t x, int64_t y, int32_t& sx) const {
    const int64_t u = xs.source[static_cast<size_t>(x - xs.first)];
    const int64_t v = ys.source[static_cast<size_t>(y - ys.first)];
    int64_t sy;
    switch (turn.quarterTurns % 4) {
      case 1:
        sx = static_cast<int32_t>(v), sy = rows - 1 - u;
        break;
      case 2:
        sx = static_cast<int32_t>(columns - 1 - u), sy = rows - 1 - v;
        break;
      case 3:
        sx = static_cast<int32_t>(columns - 1 - v), sy = u;
        break;
      default:
        sx = static_cast<int32_t>(u), sy = v;
        break;
    }
    if (turn.mirrored) sx = static_cast<int32_t>(columns - 1 - sx);
    return bits + static_cast<size_t>(topDown ? sy : rows - 1 - sy) * stride;
  }
};

// False when nothing is drawn: no pixels or header, a header shorter than a BITMAPINFOHEADER, a
// compressed or empty DIB, or no canvas pixel inside the turned Dest.
bool PlanStretch(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                 const void* info, int32_t canvasWidth, int32_t canvasHeight, PictureTurn turn, Stretch& s) {
  if (!bits || !info) return false;
  s.header = static_cast<const uint8_t*>(info);
  const int64_t dibWidth = ReadLE32s(s.header + 4);
  const int64_t dibHeight = ReadLE32s(s.header + 8);
  s.bitCount = ReadLE16(s.header + 14);
  if (ReadLE32(s.header) < 40 || ReadLE32(s.header + 16) != 0 || dibWidth <= 0 || dibHeight == 0)
    return false;
  s.topDown = dibHeight < 0;
  s.columns = std::min<int64_t>(srcWidth < 0 ? -int64_t(srcWidth) : srcWidth, dibWidth);
  s.rows =
      std::min<int64_t>(srcHeight < 0 ? -int64_t(srcHeight) : srcHeight, s.topDown ? -dibHeight : dibHeight);
  if (s.columns <= 0 || s.rows <= 0) return false;
  s.turn = turn;
  const PixelRect area = TurnedRect(dest, turn);
  s.xs = MapAxis(area.Left, area.Right, turn.SwapsSides() ? s.rows : s.columns, canvasWidth);
  s.ys = MapAxis(area.Top, area.Bottom, turn.SwapsSides() ? s.columns : s.rows, canvasHeight);
  s.bits = static_cast<const uint8_t*>(bits);
  s.stride = static_cast<size_t>((dibWidth * s.bitCount + 31) / 32 * 4);
  return !s.xs.source.empty() && !s.ys.source.empty();
}
}  // namespace

RasterCanvas::RasterCanvas(int32_t width, int32_t height)
    : own_(static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0)) * 4),
      pixels_(own_.data()),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      stride_(static_cast<ptrdiff_t>(width_) * 4) {}

RasterCanvas::RasterCanvas(uint8_t* pixels, int32_t width, int32_t height, ptrdiff_t stride)
    : pixels_(pixels),
      width_(pixels ? std::max(width, 0) : 0),
      height_(pixels ? std::max(height, 0) : 0),
      stride_(stride) {}

uint32_t RasterCanvas::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the canvas");
  const uint8_t* p = pixels_ + y * stride_ + 4 * x;
  return p[2] | p[1] << 8 | static_cast<uint32_t>(p[0]) << 16;
}

void RasterCanvas::StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                              const void* info, PaletteHandle) {
  Stretch s;
  if (!PlanStretch(dest, srcWidth, srcHeight, bits, info, width_, height_, Turn, s)) return;
  const uint16_t bitCount = s.bitCount;

  uint32_t colors[256] = {};
  switch (bitCount) {
    case 1:
    case 4:
    case 8: {
      const uint32_t max = 1u << bitCount;
      const uint32_t clrUsed = ReadLE32(s.header + 32);
      const uint32_t n = clrUsed ? std::min(clrUsed, max) : max;
      const uint8_t* q = s.header + ReadLE32(s.header);
      for (uint32_t i = 0; i < n; ++i) colors[i] = Bgr(q[4 * i], q[4 * i + 1], q[4 * i + 2]);
      break;
    }
    case 16:
    case 24:
    case 32:
      break;
    default:
      return;
  }

  for (int64_t y = s.ys.first; y < s.ys.last; ++y) {
    uint8_t* out = Row(static_cast<int32_t>(y)) + 4 * s.xs.first;
    for (int64_t x = s.xs.first; x < s.xs.last; ++x) {
      int32_t sx;
      const uint8_t* row = s.Source(x, y, sx);
      uint32_t px;
      switch (bitCount) {
        case 1:
          px = colors[(row[sx >> 3] >> (7 - (sx & 7))) & 1];
          break;
        case 4:
          px = colors[(sx & 1) ? row[sx >> 1] & 0x0F : row[sx >> 1] >> 4];
          break;
        case 8:
          px = colors[row[sx]];
          break;
        case 16: {
          const uint32_t v = ReadLE16(row + 2 * sx);
          px = Bgr(Expand5(v & 31), Expand5((v >> 5) & 31), Expand5((v >> 10) & 31));
          break;
        }
        case 24:
          px = Bgr(row[3 * sx], row[3 * sx + 1], row[3 * sx + 2]);
          break;
        default:
          px = Bgr(row[4 * sx], row[4 * sx + 1], row[4 * sx + 2]);
          break;
      }
      Store(out, px);
      out += 4;
    }
  }
}

void RasterCanvas::AlphaDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                            const void* info) {
  Stretch s;
  if (!PlanStretch(dest, srcWidth, srcHeight, bits, info, width_, height_, Turn, s) || s.bitCount != 32)
    return;
  for (int64_t y = s.ys.first; y < s.ys.last; ++y) {
    uint8_t* out = Row(static_cast<int32_t>(y)) + 4 * s.xs.first;
    for (int64_t x = s.xs.first; x < s.xs.last; ++x) {
      int32_t sx;
      const uint8_t* px = s.Source(x, y, sx) + 4 * sx;
      const unsigned keep = 255 - px[3];
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(px[c] + (out[c] * keep + 127) / 255);
      out += 4;
    }
  }
}

void RasterCanvas::FillRect(const PixelRect& rect, uint32_t rgb) {
  const uint32_t px =
      Bgr(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
  const int32_t left = std::max(rect.Left, 0), right = std::min(rect.Right, width_);
  const int32_t top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, height_);
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = left; x < right; ++x) Store(Row(y) + 4 * x, px);
}

void RasterCanvas::DrawIcon(const uint8_t*, size_t, int32_t, int32_t, const PixelRect&) { ++iconsDrawn; }

void RasterCanvas::PlayMetafile(const uint8_t*, size_t, bool, const PixelRect&) { ++metafilesPlayed; }

}  // namespace zeb
