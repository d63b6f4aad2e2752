// The plug-in picture: a device-independent bitmap decoded by a Susie import plug-in, kept in the
// plug-in's own blocks (held by its input source) and drawn, measured and saved from there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/graphic.h"
#include "spi/spi_source.h"

namespace zeb::spi {

class PluginImage : public Image {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  PluginImage();
  ~PluginImage() override;

  void Draw(Canvas& canvas, const PixelRect& rect) override;
  bool GetEmpty() override;
  int32_t GetHeight() override;
  int32_t GetWidth() override;
  PaletteHandle GetPalette() override;
  // The size of a plug-in picture cannot be changed.
  void SetHeight(int32_t height) override;
  void SetWidth(int32_t width) override;
  void LoadFromFile(const std::string& fileName) override;
  void LoadFromStream(Stream& stream) override;
  // Writes a complete BMP file: file header, the information block and the rows, as the plug-in gave them.
  void SaveToStream(Stream& stream) override;
  // A plug-in picture takes no other picture over (ConversionError).
  void Assign(Image& source) override;

  // Decodes a stream; the optional FileName is shown to the plug-ins and prefers those that name its
  // extension.
  virtual void LoadFromStreamWithName(Stream& stream, const std::string& fileName);

  // Frees the source (and with it the plug-in's blocks) and the palette.
  void Clear();
  bool IsFourBit();
  // The values that a saved BMP file carries.
  int32_t InfoSize();
  int64_t BitsSize();  // past 2 GiB in a 64-bit build
  PluginSource* Source() const { return source_.get(); }

 private:
  void LoadSource();
  void UpdateInfo();

  std::unique_ptr<PluginSource> source_;
  int32_t height_ = 0;
  int32_t width_ = 0;
  PaletteHandle palette_ = 0;
  int32_t infoSize_ = 0;
  int64_t bitsSize_ = 0;
  bool isFourBit_ = false;
  bool infoCached_ = false;
};

}  // namespace zeb::spi
