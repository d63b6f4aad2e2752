#include "spi/spi_bitmap.h"

#include <array>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "spi/spi_manager.h"

namespace zeb::spi {

// By content the plug-ins decide: each is asked whether it reads the file.
const ImageFormat PluginBitmap::kFormat = {"PluginBitmap", &NewImage<PluginBitmap>,
                                           [](const uint8_t*, size_t) { return true; }};

namespace {

bool IsBmpName(const std::string& fileName) { return UpperAscii(ExtensionPart(fileName)) == ".BMP"; }

// A palette this code made and has not handed over yet.
class PaletteCopy {
 public:
  explicit PaletteCopy(PaletteHandle original) : handle_(NewPalette(PaletteEntries(original))) {}
  ~PaletteCopy() { FreePalette(handle_); }
  PaletteCopy(const PaletteCopy&) = delete;
  PaletteCopy& operator=(const PaletteCopy&) = delete;
  PaletteHandle Release() {
    PaletteHandle h = handle_;
    handle_ = 0;
    return h;
  }

 private:
  PaletteHandle handle_;
};

std::unique_ptr<Bitmap> ConvertThroughBmp(PluginImage& g, bool clearFirst) {
  // The plain bitmap class, never PluginBitmap: it reads the BMP data only and asks no plug-in.
  auto b = std::make_unique<Bitmap>();
  {
    MemoryStream m;
    g.SaveToStream(m);
    // The plug-in's blocks go before the bitmap reads the file, so at most two copies of the pixels
    // exist at once.
    if (clearFirst) g.Clear();
    m.SetPosition(0);
    // The file is only written to be read in: the bitmap takes its memory rather than copy the pixels.
    b->TakeFromStream(m);
  }
  return b;
}

}  // namespace

PluginBitmap::PluginBitmap() = default;

std::unique_ptr<Bitmap> PluginBitmap::ConvertToBitmap(PluginImage& g) { return ConvertThroughBmp(g, false); }

std::unique_ptr<Bitmap> PluginBitmap::ConvertToBitmapAndClear(PluginImage& g) {
  return ConvertThroughBmp(g, true);
}

void PluginBitmap::ForwardProgress(Image*, ProgressStage stage, uint8_t percentDone, bool redrawNow,
                                   const PixelRect& r, const std::string& msg) {
  // The bitmap sends its own single ending report once the picture has been taken over.
  if (stage == ProgressStage::Ending) return;
  Progress(this, stage, percentDone, redrawNow, r, msg);
}

std::array<const ImageFormat*, 2> PluginBitmap::ClassOrder(bool isBmp) {
  if (isBmp) return {&Bitmap::kFormat, &PluginImage::kFormat};
  return {&PluginImage::kFormat, &Bitmap::kFormat};
}

std::unique_ptr<Image> PluginBitmap::NewTemporary(const ImageFormat* format) {
  std::unique_ptr<Image> g = format->create();
  g->OnProgress = [this](Image* sender, ProgressStage stage, uint8_t percent, bool redraw, const PixelRect& r,
                         const std::string& msg) { ForwardProgress(sender, stage, percent, redraw, r, msg); };
  return g;
}

std::unique_ptr<Image> PluginBitmap::CreateGraphicFromFile(const std::string& fileName, bool isBmp) {
  for (const ImageFormat* format : ClassOrder(isBmp)) {
    std::unique_ptr<Image> g = NewTemporary(format);
    try {
      g->LoadFromFile(fileName);
      return g;
    } catch (const SilentAbort&) {
      throw;  // the load was abandoned (Escape while a plug-in worked): no other class is asked
    } catch (...) {
      // This class cannot read it: the next one may.
    }
  }
  return nullptr;
}

std::unique_ptr<Image> PluginBitmap::CreateGraphicFromStream(Stream& stream, const std::string& fileName,
                                                             bool isBmp) {
  const int64_t position = stream.Position();
  for (const ImageFormat* format : ClassOrder(isBmp)) {
    std::unique_ptr<Image> g = NewTemporary(format);
    try {
      if (auto* spiGraphic = dynamic_cast<PluginImage*>(g.get()))
        spiGraphic->LoadFromStreamWithName(stream, fileName);
      else
        g->LoadFromStream(stream);
      return g;
    } catch (const SilentAbort&) {
      stream.SetPosition(position);
      throw;
    } catch (...) {
      stream.SetPosition(position);
    }
  }
  return nullptr;
}

void PluginBitmap::AssignCopyOfPalette(PaletteHandle palette) {
  PaletteCopy copy(palette);
  SetPalette(copy.Release());
}

void PluginBitmap::AssignSPIGraphic(std::unique_ptr<Image> graphic) {
  if (!graphic) throw InvalidPicture("Susie Plugins could not decode");
  auto* g = dynamic_cast<PluginImage*>(graphic.get());
  if (!g) {
    Assign(*graphic);
    return;
  }
  // A 4-bit picture keeps its own palette; it is copied now because the conversion deletes it.
  std::unique_ptr<PaletteCopy> newPalette;
  if (g->IsFourBit()) newPalette = std::make_unique<PaletteCopy>(g->GetPalette());
  std::unique_ptr<Bitmap> b = ConvertToBitmapAndClear(*g);
  Assign(*b);
  if (newPalette) SetPalette(newPalette->Release());
}

void PluginBitmap::Assign(Image& source) {
  auto* g = dynamic_cast<PluginImage*>(&source);
  if (!g) {
    Bitmap::Assign(source);
    return;
  }
  std::unique_ptr<Bitmap> b = ConvertToBitmap(*g);
  Bitmap::Assign(*b);
  if (g->IsFourBit()) AssignCopyOfPalette(g->GetPalette());
}

template <typename CreateGraphic>
void PluginBitmap::LoadThrough(const std::string& fileName, CreateGraphic create) {
  try {
    AssignSPIGraphic(create(IsBmpName(fileName)));
  } catch (...) {
    Progress(this, ProgressStage::Ending, 100, true, Rect(0, 0, GetWidth(), GetHeight()), "Loaded Graphic");
    throw;
  }
  Progress(this, ProgressStage::Ending, 100, true, Rect(0, 0, GetWidth(), GetHeight()), "Loaded Graphic");
}

void PluginBitmap::LoadFromFile(const std::string& fileName) {
  LoadThrough(fileName, [&](bool isBmp) { return CreateGraphicFromFile(fileName, isBmp); });
}

void PluginBitmap::LoadFromStream(Stream& stream) { LoadFromStreamWithName(stream, std::string()); }

void PluginBitmap::LoadFromStreamWithName(Stream& stream, const std::string& fileName) {
  LoadThrough(fileName, [&](bool isBmp) { return CreateGraphicFromStream(stream, fileName, isBmp); });
}

void InitializeSPIBitmap() { PluginManager::SetDefaultFormat(&PluginBitmap::kFormat); }

void FinalizeSPIBitmap() { PictureFormats::UnregisterFormat(&PluginBitmap::kFormat); }

}  // namespace zeb::spi
