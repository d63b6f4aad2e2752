// The picture class registered for every extension an import plug-in declares: a plain bitmap that
// loads through a temporary plug-in picture (or a plain bitmap, whichever succeeds) and takes the
// result over as an ordinary bitmap.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/bitmap.h"
#include "spi/spi_graphic.h"

namespace zeb::spi {

class PluginBitmap : public Bitmap {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  PluginBitmap();

  void Assign(Image& source) override;
  void LoadFromFile(const std::string& fileName) override;
  void LoadFromStream(Stream& stream) override;
  // Takes over a loaded temporary picture and frees it, also on error; nullptr raises InvalidPicture.
  virtual void AssignSPIGraphic(std::unique_ptr<Image> graphic);
  virtual void LoadFromStreamWithName(Stream& stream, const std::string& fileName);

  // The progress handler given to the temporary pictures: their ending report is dropped, the rest is
  // reported as this bitmap's.
  void ForwardProgress(Image* sender, ProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const PixelRect& r, const std::string& msg);

  // A new plain bitmap read from the BMP file that G writes; G keeps its picture.
  static std::unique_ptr<Bitmap> ConvertToBitmap(PluginImage& g);
  // The same, but G's plug-in blocks are freed as soon as the BMP file is in memory.
  static std::unique_ptr<Bitmap> ConvertToBitmapAndClear(PluginImage& g);

 protected:
  // The first of the two classes (plain bitmap and plug-in picture, plain bitmap first for a ".BMP")
  // that loads the file or stream; nullptr when neither does.
  std::unique_ptr<Image> CreateGraphicFromFile(const std::string& fileName, bool isBmp);
  std::unique_ptr<Image> CreateGraphicFromStream(Stream& stream, const std::string& fileName, bool isBmp);

 private:
  // The plain bitmap class is tried first for a ".BMP" name, the plug-in picture first otherwise. The
  // plain bitmap class is Bitmap itself, never PluginBitmap, so a temporary bitmap starts no plug-in search.
  static std::array<const ImageFormat*, 2> ClassOrder(bool isBmp);
  // A temporary picture of Format whose progress reaches this bitmap's listeners.
  std::unique_ptr<Image> NewTemporary(const ImageFormat* format);
  template <typename CreateGraphic>
  void LoadThrough(const std::string& fileName, CreateGraphic create);
  void AssignCopyOfPalette(PaletteHandle palette);
};

// Program start: every plug-in extension is registered with PluginBitmap from then on. Called before the
// plug-in manager is created.
void InitializeSPIBitmap();
// Program end: removes PluginBitmap and every extension registered for it from the picture-format registry.
void FinalizeSPIBitmap();

}  // namespace zeb::spi
