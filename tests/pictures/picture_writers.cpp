#include "tests/pictures/picture_writers.h"

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "tests/support/jpeg_maker.h"

namespace zeb::test {

namespace {
uint8_t To8(unsigned v, int bits) {
  if (bits == 16) return static_cast<uint8_t>((v + 128) / 257);
  if (bits < 8) return static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
  return static_cast<uint8_t>(v);
}

// Packs one row of samples at Bits per sample, most significant bits first (16-bit in machine order
// or big-endian).
std::vector<uint8_t> PackRow(const SourcePicture& p, int y, bool bigEndian16) {
  const size_t count = static_cast<size_t>(p.width) * p.channels;
  const uint16_t* s = p.samples.data() + static_cast<size_t>(y) * count;
  std::vector<uint8_t> row((count * p.bits + 7) / 8, 0);
  for (size_t i = 0; i < count; ++i) {
    if (p.bits == 16) {
      uint16_t v = s[i];
      if (bigEndian16) {
        row[2 * i] = static_cast<uint8_t>(v >> 8);
        row[2 * i + 1] = static_cast<uint8_t>(v);
      } else {
        std::memcpy(&row[2 * i], &v, 2);
      }
    } else if (p.bits == 8) {
      row[i] = static_cast<uint8_t>(s[i]);
    } else {
      const size_t bit = i * p.bits;
      row[bit / 8] |= static_cast<uint8_t>(s[i] << (8 - p.bits - bit % 8));
    }
  }
  return row;
}

// The upright picture stored as Orientation says.
SourcePicture StoredAs(const SourcePicture& upright, int orientation) {
  if (orientation <= 1) return upright;
  SourcePicture stored = upright;
  if (orientation >= 5) std::swap(stored.width, stored.height);
  for (int y = 0, uprightX, uprightY; y < stored.height; ++y)
    for (int x = 0; x < stored.width; ++x) {
      UprightPlace(orientation, x, y, stored.width, stored.height, uprightX, uprightY);
      std::copy_n(&upright.samples[(size_t(uprightY) * upright.width + uprightX) * upright.channels],
                  upright.channels, &stored.samples[(size_t(y) * stored.width + x) * upright.channels]);
    }
  return stored;
}

// The picture's pixels as 8-bit RGBA rows.
std::vector<uint8_t> RgbaPixels(const SourcePicture& p) {
  std::vector<uint8_t> out(static_cast<size_t>(p.width) * p.height * 4);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      auto c = p.Rgba(x, y);
      std::memcpy(&out[(static_cast<size_t>(y) * p.width + x) * 4], c.data(), 4);
    }
  return out;
}
}  // namespace

std::array<uint8_t, 4> SourcePicture::Rgba(int x, int y) const {
  const uint16_t* s = samples.data() + (static_cast<size_t>(y) * width + x) * channels;
  if (!palette.empty()) {
    return s[0] < palette.size() ? palette[s[0]] : std::array<uint8_t, 4>{0, 0, 0, 255};
  }
  switch (channels) {
    case 1:
      return {To8(s[0], bits), To8(s[0], bits), To8(s[0], bits), 255};
    case 2:
      return {To8(s[0], bits), To8(s[0], bits), To8(s[0], bits), To8(s[1], bits)};
    case 3:
      return {To8(s[0], bits), To8(s[1], bits), To8(s[2], bits), 255};
    default:
      return {To8(s[0], bits), To8(s[1], bits), To8(s[2], bits), To8(s[3], bits)};
  }
}

SourcePicture MakePicture(int width, int height, int channels, int bits) {
  SourcePicture p;
  p.width = width;
  p.height = height;
  p.channels = channels;
  p.bits = bits;
  const unsigned max = bits == 16 ? 0xFFFF : (1u << bits) - 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) {
        const bool alpha = c == channels - 1 && (channels == 2 || channels == 4);
        unsigned v = bits == 16 ? (x * 4931u + y * 2609u + c * 7919u) : (x * 37u + y * 91u + c * 53u);
        // Alpha covers fully transparent, fully opaque and partial pixels.
        if (alpha) v = (x + y) % 3 == 0 ? 0 : (x + y) % 3 == 1 ? max : (x * 29u + y * 13u);
        p.samples.push_back(static_cast<uint16_t>(v & max));
      }
  return p;
}

SourcePicture MakeIndexed(int width, int height, int colours, bool transparent) {
  SourcePicture p;
  p.width = width;
  p.height = height;
  p.channels = 1;
  p.bits = 8;
  for (int i = 0; i < colours; ++i)
    p.palette.push_back({static_cast<uint8_t>(i * 47), static_cast<uint8_t>(255 - i * 91),
                         static_cast<uint8_t>(i * 13 + 7),
                         static_cast<uint8_t>(transparent && i == 0 ? 0 : 255)});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.samples.push_back(static_cast<uint16_t>((x * 7 + y * 3) % colours));
  return p;
}

// PNG.

namespace {
// The PNG written goes to Out. (Each writer keeps its own setjmp: libpng's errors jump back into it.)
void WriteInto(png_structp png, std::string& out) {
  png_set_write_fn(
      png, &out,
      [](png_structp w, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(w))->append(reinterpret_cast<const char*>(data), n);
      },
      nullptr);
}
}  // namespace

std::string WriteUniformPng(int width, int height, std::array<uint8_t, 4> rgba) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write the picture");
  }
  WriteInto(png, out);
  // Every row but the first is all zeros once filtered against the one above: runs are all zlib sees.
  png_set_filter(png, 0, PNG_FILTER_UP);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  for (size_t i = 0; i < row.size(); ++i) row[i] = rgba[i % 4];
  for (int y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string WritePng(const SourcePicture& upright, const PngOptions& options) {
  const SourcePicture p = StoredAs(upright, options.orientation);
  // PNG's eXIf and WebP's EXIF chunks hold an Exif block without its "Exif\0\0".
  const std::string exif = options.orientation ? ExifBlock(options.orientation).substr(6) : std::string();
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write the picture");
  }
  WriteInto(png, out);
  png_set_compression_level(png, options.compression);
  int type = p.channels == 1   ? PNG_COLOR_TYPE_GRAY
             : p.channels == 2 ? PNG_COLOR_TYPE_GRAY_ALPHA
             : p.channels == 3 ? PNG_COLOR_TYPE_RGB
                               : PNG_COLOR_TYPE_RGBA;
  if (!p.palette.empty()) type = PNG_COLOR_TYPE_PALETTE;
  png_set_IHDR(png, info, p.width, p.height, p.bits, type,
               options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!p.palette.empty()) {
    std::vector<png_color> colours;
    std::vector<png_byte> alpha;
    for (const auto& c : p.palette) {
      colours.push_back({c[0], c[1], c[2]});
      alpha.push_back(c[3]);
    }
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (std::any_of(alpha.begin(), alpha.end(), [](png_byte a) { return a != 255; }))
      png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  }
  if (!options.icc.empty())
    png_set_iCCP(png, info, "ICC", PNG_COMPRESSION_TYPE_BASE,
                 reinterpret_cast<png_const_bytep>(options.icc.data()),
                 static_cast<png_uint_32>(options.icc.size()));
  if (!exif.empty())
    png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                   reinterpret_cast<png_bytep>(const_cast<char*>(exif.data())));
  png_write_info(png, info);
  std::vector<std::vector<uint8_t>> rows;
  std::vector<png_bytep> pointers;
  for (int y = 0; y < p.height; ++y) rows.push_back(PackRow(p, y, true));
  for (auto& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// GIF.

std::string WriteGif(const SourcePicture& p, const GifOptions& options) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(
      &out,
      [](GifFileType* g, const GifByteType* data, int n) {
        static_cast<std::string*>(g->UserData)->append(reinterpret_cast<const char*>(data), n);
        return n;
      },
      &error);
  if (!gif) throw std::runtime_error("giflib could not start a file");
  int size = 2;
  while (size < static_cast<int>(p.palette.size())) size *= 2;
  std::vector<GifColorType> colours(size, GifColorType{0, 0, 0});
  for (size_t i = 0; i < p.palette.size(); ++i)
    colours[i] = GifColorType{p.palette[i][0], p.palette[i][1], p.palette[i][2]};
  ColorMapObject* map = GifMakeMapObject(size, colours.data());
  EGifSetGifVersion(gif, true);
  const int sw = options.screenWidth ? options.screenWidth : p.width;
  const int sh = options.screenHeight ? options.screenHeight : p.height;
  bool ok = EGifPutScreenDesc(gif, sw, sh, 8, 0, map) == GIF_OK;
  static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int frame = 0; frame < options.frames && ok; ++frame) {
    if (options.transparent >= 0 || options.frames > 1) {
      GraphicsControlBlock gcb = {DISPOSE_DO_NOT, false, 10, options.transparent};
      GifByteType ext[4];
      size_t n = EGifGCBToExtension(&gcb, ext);
      ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, options.left, options.top, p.width, p.height, options.interlaced,
                                nullptr) == GIF_OK;
    std::vector<GifPixelType> line(p.width);
    for (int pass = 0; pass < (options.interlaced ? 4 : 1) && ok; ++pass)
      for (int y = options.interlaced ? start[pass] : 0; y < p.height && ok;
           y += options.interlaced ? step[pass] : 1) {
        for (int x = 0; x < p.width; ++x) {
          int v = p.samples[static_cast<size_t>(y) * p.width + x];
          line[x] = static_cast<GifPixelType>(frame ? static_cast<int>(p.palette.size()) - 1 - v : v);
        }
        ok = EGifPutLine(gif, line.data(), p.width) == GIF_OK;
      }
  }
  GifFreeMapObject(map);
  if (EGifCloseFile(gif, &error) != GIF_OK || !ok) throw std::runtime_error("giflib could not write");
  return out;
}

// WebP.

std::string WriteWebp(const SourcePicture& upright, const WebpOptions& options) {
  const SourcePicture p = StoredAs(upright, options.orientation);
  std::vector<uint8_t> rgba = RgbaPixels(p);
  const bool alpha = p.channels == 2 || p.channels == 4 || !p.palette.empty();
  std::string out;
  if (options.frames <= 1) {
    uint8_t* data = nullptr;
    size_t n;
    std::vector<uint8_t> rgb;
    if (!alpha) {
      for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i] + 3);
      n = options.lossless ? WebPEncodeLosslessRGB(rgb.data(), p.width, p.height, p.width * 3, &data)
                           : WebPEncodeRGB(rgb.data(), p.width, p.height, p.width * 3, 90, &data);
    } else {
      n = options.lossless ? WebPEncodeLosslessRGBA(rgba.data(), p.width, p.height, p.width * 4, &data)
                           : WebPEncodeRGBA(rgba.data(), p.width, p.height, p.width * 4, 90, &data);
    }
    if (n == 0) throw std::runtime_error("libwebp could not write the picture");
    out.assign(reinterpret_cast<const char*>(data), n);
    WebPFree(data);
    if (!options.icc.empty() || options.orientation) {  // an extended file with ICCP and EXIF chunks
      const std::string exif = options.orientation ? ExifBlock(options.orientation).substr(6)
                                                   : "";  // as PNG's eXIf, no "Exif\0\0"
      const WebPData still = {reinterpret_cast<const uint8_t*>(out.data()), out.size()},
                     icc = {reinterpret_cast<const uint8_t*>(options.icc.data()), options.icc.size()},
                     chunk = {reinterpret_cast<const uint8_t*>(exif.data()), exif.size()};
      WebPMux* mux = WebPMuxCreate(&still, 1);
      WebPData assembled{};
      const bool ok = mux && (options.icc.empty() || WebPMuxSetChunk(mux, "ICCP", &icc, 1) == WEBP_MUX_OK) &&
                      (exif.empty() || WebPMuxSetChunk(mux, "EXIF", &chunk, 1) == WEBP_MUX_OK) &&
                      WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
      if (ok) out.assign(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
      WebPDataClear(&assembled);
      WebPMuxDelete(mux);
      if (!ok) throw std::runtime_error("libwebpmux could not add the ICCP or EXIF chunk");
    }
    return out;
  }
  WebPAnimEncoderOptions animOptions;
  WebPAnimEncoderOptionsInit(&animOptions);
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(p.width, p.height, &animOptions);
  WebPConfig config;
  WebPConfigInit(&config);
  config.lossless = options.lossless;
  bool ok = encoder != nullptr;
  for (int frame = 0; frame < options.frames && ok; ++frame) {
    std::vector<uint8_t> pixels = rgba;
    if (frame)
      for (size_t i = 0; i < pixels.size(); ++i)
        if (i % 4 != 3) pixels[i] = static_cast<uint8_t>(255 - pixels[i]);
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.width = p.width;
    picture.height = p.height;
    picture.use_argb = 1;
    ok = WebPPictureImportRGBA(&picture, pixels.data(), p.width * 4) &&
         WebPAnimEncoderAdd(encoder, &picture, frame * 100, &config);
    WebPPictureFree(&picture);
  }
  WebPData data;
  WebPDataInit(&data);
  ok = ok && WebPAnimEncoderAdd(encoder, nullptr, options.frames * 100, nullptr) &&
       WebPAnimEncoderAssemble(encoder, &data);
  if (ok) out.assign(reinterpret_cast<const char*>(data.bytes), data.size);
  WebPDataClear(&data);
  WebPAnimEncoderDelete(encoder);
  if (!ok) throw std::runtime_error("libwebp could not write the animation");
  return out;
}

// TIFF.

namespace {
struct TiffSink {
  std::string bytes;
  toff_t pos = 0;
};
tmsize_t SinkRead(thandle_t h, void* buf, tmsize_t n) {
  auto* s = static_cast<TiffSink*>(h);
  tmsize_t got = std::min<tmsize_t>(n, s->pos < s->bytes.size() ? s->bytes.size() - s->pos : 0);
  std::memcpy(buf, s->bytes.data() + s->pos, got);
  s->pos += got;
  return got;
}
tmsize_t SinkWrite(thandle_t h, void* buf, tmsize_t n) {
  auto* s = static_cast<TiffSink*>(h);
  if (s->bytes.size() < s->pos + n) s->bytes.resize(s->pos + n);
  std::memcpy(&s->bytes[s->pos], buf, n);
  s->pos += n;
  return n;
}
toff_t SinkSeek(thandle_t h, toff_t off, int whence) {
  auto* s = static_cast<TiffSink*>(h);
  s->pos = (whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->bytes.size() : 0) + off;
  return s->pos;
}
int SinkClose(thandle_t) { return 0; }
toff_t SinkSize(thandle_t h) { return static_cast<TiffSink*>(h)->bytes.size(); }
int NoMap(thandle_t, void**, toff_t*) { return 0; }
void NoUnmap(thandle_t, void*, toff_t) {}

uint16_t TiffCompressionTag(TiffCompression c) {
  switch (c) {
    case TiffCompression::kDeflate:
      return COMPRESSION_ADOBE_DEFLATE;
    case TiffCompression::kLzw:
      return COMPRESSION_LZW;
    case TiffCompression::kJpeg:
      return COMPRESSION_JPEG;
    case TiffCompression::kPackBits:
      return COMPRESSION_PACKBITS;
    default:
      return COMPRESSION_NONE;
  }
}

void WriteTiffPage(TIFF* tif, const SourcePicture& source, const TiffOptions& o) {
  SourcePicture p = source;
  uint16_t photometric = p.channels <= 2 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
  if (!p.palette.empty()) {
    photometric = PHOTOMETRIC_PALETTE;
    if (p.palette.size() <= 16) p.bits = 4;
  } else if (o.cmyk && p.channels == 3) {
    photometric = PHOTOMETRIC_SEPARATED;
    p.channels = 4;
    p.samples.clear();
    for (size_t i = 0; i < source.samples.size(); i += 3) {
      for (int c = 0; c < 3; ++c)
        p.samples.push_back(static_cast<uint16_t>((p.bits == 16 ? 0xFFFF : 255) - source.samples[i + c]));
      p.samples.push_back(0);
    }
  } else if (o.minIsWhite && p.channels == 1) {
    photometric = PHOTOMETRIC_MINISWHITE;
    const unsigned max = p.bits == 16 ? 0xFFFF : (1u << p.bits) - 1;
    for (auto& s : p.samples) s = static_cast<uint16_t>(max - s);
  }
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.channels);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, TiffCompressionTag(o.compression));
  if (o.compression == TiffCompression::kJpeg) TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
  if (photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (!o.icc.empty())
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(o.icc.size()), o.icc.data());
  if (o.orientation) TIFFSetField(tif, TIFFTAG_ORIENTATION, o.orientation);
  if (p.channels == 2 || (p.channels == 4 && photometric == PHOTOMETRIC_RGB)) {
    uint16_t kind = o.associatedAlpha ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
    const unsigned max = p.bits == 16 ? 0xFFFF : 255;
    for (size_t i = 0; o.associatedAlpha && i < p.samples.size(); i += p.channels)
      for (int c = 0; c + 1 < p.channels; ++c)
        p.samples[i + c] =
            static_cast<uint16_t>((p.samples[i + c] * p.samples[i + p.channels - 1] + max / 2) / max);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  if (photometric == PHOTOMETRIC_PALETTE) {
    std::vector<uint16_t> r(1u << p.bits), g(r.size()), b(r.size());
    for (size_t i = 0; i < p.palette.size(); ++i) {
      r[i] = static_cast<uint16_t>(p.palette[i][0] * 257);
      g[i] = static_cast<uint16_t>(p.palette[i][1] * 257);
      b[i] = static_cast<uint16_t>(p.palette[i][2] * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  bool ok = true;
  if (o.tileSize) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, o.tileSize);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, o.tileSize);
    std::vector<uint8_t> tile(TIFFTileSize(tif));
    const size_t rowBytes = TIFFTileRowSize(tif);
    for (int ty = 0; ty < p.height; ty += o.tileSize)
      for (int tx = 0; tx < p.width; tx += o.tileSize) {
        std::fill(tile.begin(), tile.end(), 0);
        for (int y = 0; y < o.tileSize && ty + y < p.height; ++y) {
          SourcePicture band = p;  // the tile's part of the row, packed on its own
          band.width = std::min(o.tileSize, p.width - tx);
          band.height = 1;
          band.samples.assign(
              p.samples.begin() + (static_cast<size_t>(ty + y) * p.width + tx) * p.channels,
              p.samples.begin() + (static_cast<size_t>(ty + y) * p.width + tx + band.width) * p.channels);
          std::vector<uint8_t> row = PackRow(band, 0, false);
          std::memcpy(&tile[y * rowBytes], row.data(), std::min(row.size(), rowBytes));
        }
        ok = ok && TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) >= 0;
      }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, o.rowsPerStrip);
    for (int y = 0; y < p.height && ok; ++y) {
      std::vector<uint8_t> row = PackRow(p, y, false);
      ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
  }
  if (!ok || !TIFFWriteDirectory(tif)) throw std::runtime_error("libtiff could not write the page");
}
}  // namespace

std::string WriteTiff(const SourcePicture& p, const TiffOptions& options) {
  TiffSink sink;
  TIFF* tif = TIFFClientOpen("memory", options.bigEndian ? "wb" : "wl", &sink, SinkRead, SinkWrite, SinkSeek,
                             SinkClose, SinkSize, NoMap, NoUnmap);
  if (!tif) throw std::runtime_error("libtiff could not start a file");
  try {
    for (int page = 0; page < options.pages; ++page) {
      // Later pages are smaller, so that reading one of them instead of the first shows.
      SourcePicture q = page == 0 ? StoredAs(p, options.orientation)
                                  : MakePicture(std::max(1, p.width / 2), std::max(1, p.height / 2), 3);
      WriteTiffPage(tif, q, options);
    }
  } catch (...) {
    TIFFClose(tif);
    throw;
  }
  TIFFClose(tif);
  return sink.bytes;
}

}  // namespace zeb::test
