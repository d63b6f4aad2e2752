#include "spi/spi_bitmap.h"

#include <array>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "spi/spi_manager.h"

namespace zeb::spi {

ZEB_GRAPHIC_CLASS_DEF(TSPIBitmap, &TBitmap::Class)

namespace {

bool IsBmpName(const std::string& fileName) { return UpperAscii(ExtensionPart(fileName)) == ".BMP"; }

// A palette this code made and has not handed over yet.
class PaletteCopy {
 public:
  explicit PaletteCopy(TPaletteHandle original) : handle_(NewPalette(PaletteEntries(original))) {}
  ~PaletteCopy() { FreePalette(handle_); }
  PaletteCopy(const PaletteCopy&) = delete;
  PaletteCopy& operator=(const PaletteCopy&) = delete;
  TPaletteHandle Release() {
    TPaletteHandle h = handle_;
    handle_ = 0;
    return h;
  }

 private:
  TPaletteHandle handle_;
};

std::unique_ptr<TBitmap> ConvertThroughBmp(TSPIGraphic& g, bool clearFirst) {
  // The plain bitmap class, never TSPIBitmap: it reads the BMP data only and asks no plug-in.
  auto b = std::make_unique<TBitmap>();
  {
    TMemoryStream m;
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

TSPIBitmap::TSPIBitmap() {
  onLoadFromStreamWithName_ = [this](TStream& stream, const std::string& fileName) {
    LoadFromStreamWithName(stream, fileName);
  };
}

std::unique_ptr<TBitmap> TSPIBitmap::ConvertToBitmap(TSPIGraphic& g) { return ConvertThroughBmp(g, false); }

std::unique_ptr<TBitmap> TSPIBitmap::ConvertToBitmapAndClear(TSPIGraphic& g) {
  return ConvertThroughBmp(g, true);
}

void TSPIBitmap::ForwardProgress(TGraphic*, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                                 const TRect& r, const std::string& msg) {
  // The bitmap sends its own single ending report once the picture has been taken over.
  if (stage == psEnding) return;
  Progress(this, stage, percentDone, redrawNow, r, msg);
}

std::array<TGraphicClass, 2> TSPIBitmap::ClassOrder(bool isBmp) {
  if (isBmp) return {&TBitmap::Class, &TSPIGraphic::Class};
  return {&TSPIGraphic::Class, &TBitmap::Class};
}

std::unique_ptr<TGraphic> TSPIBitmap::NewTemporary(TGraphicClass cls) {
  std::unique_ptr<TGraphic> g = cls->Create();
  g->OnProgress = [this](TGraphic* sender, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                         const std::string& msg) { ForwardProgress(sender, stage, percent, redraw, r, msg); };
  return g;
}

std::unique_ptr<TGraphic> TSPIBitmap::CreateGraphicFromFile(const std::string& fileName, bool isBmp) {
  for (TGraphicClass cls : ClassOrder(isBmp)) {
    std::unique_ptr<TGraphic> g = NewTemporary(cls);
    try {
      g->LoadFromFile(fileName);
      return g;
    } catch (...) {
      // This class cannot read it: the next one may.
    }
  }
  return nullptr;
}

std::unique_ptr<TGraphic> TSPIBitmap::CreateGraphicFromStream(TStream& stream, const std::string& fileName,
                                                              bool isBmp) {
  const int64_t position = stream.Position();
  for (TGraphicClass cls : ClassOrder(isBmp)) {
    std::unique_ptr<TGraphic> g = NewTemporary(cls);
    try {
      if (auto* spiGraphic = dynamic_cast<TSPIGraphic*>(g.get()))
        spiGraphic->LoadFromStreamWithName(stream, fileName);
      else
        g->LoadFromStream(stream);
      return g;
    } catch (...) {
      stream.SetPosition(position);
    }
  }
  return nullptr;
}

void TSPIBitmap::AssignCopyOfPalette(TPaletteHandle palette) {
  PaletteCopy copy(palette);
  SetPalette(copy.Release());
}

void TSPIBitmap::AssignSPIGraphic(std::unique_ptr<TGraphic> graphic) {
  if (!graphic) throw EInvalidGraphic("Susie Plugins could not decode");
  auto* g = dynamic_cast<TSPIGraphic*>(graphic.get());
  if (!g) {
    Assign(*graphic);
    return;
  }
  // A 4-bit picture keeps its own palette; it is copied now because the conversion deletes it.
  std::unique_ptr<PaletteCopy> newPalette;
  if (g->IsFourBit()) newPalette = std::make_unique<PaletteCopy>(g->GetPalette());
  std::unique_ptr<TBitmap> b = ConvertToBitmapAndClear(*g);
  Assign(*b);
  if (newPalette) SetPalette(newPalette->Release());
}

void TSPIBitmap::Assign(TGraphic& source) {
  auto* g = dynamic_cast<TSPIGraphic*>(&source);
  if (!g) {
    TBitmap::Assign(source);
    return;
  }
  std::unique_ptr<TBitmap> b = ConvertToBitmap(*g);
  TBitmap::Assign(*b);
  if (g->IsFourBit()) AssignCopyOfPalette(g->GetPalette());
}

template <typename CreateGraphic>
void TSPIBitmap::LoadThrough(const std::string& fileName, CreateGraphic create) {
  try {
    AssignSPIGraphic(create(IsBmpName(fileName)));
  } catch (...) {
    Progress(this, psEnding, 100, true, Rect(0, 0, GetWidth(), GetHeight()), "Loaded Graphic");
    throw;
  }
  Progress(this, psEnding, 100, true, Rect(0, 0, GetWidth(), GetHeight()), "Loaded Graphic");
}

void TSPIBitmap::LoadFromFile(const std::string& fileName) {
  LoadThrough(fileName, [&](bool isBmp) { return CreateGraphicFromFile(fileName, isBmp); });
}

void TSPIBitmap::LoadFromStream(TStream& stream) { LoadFromStreamWithName(stream, std::string()); }

void TSPIBitmap::LoadFromStreamWithName(TStream& stream, const std::string& fileName) {
  LoadThrough(fileName, [&](bool isBmp) { return CreateGraphicFromStream(stream, fileName, isBmp); });
}

void InitializeSPIBitmap() { TSPIs::SetDefaultGraphicClass(&TSPIBitmap::Class); }

void FinalizeSPIBitmap() { PictureFormats::UnregisterGraphicClass(&TSPIBitmap::Class); }

}  // namespace zeb::spi
