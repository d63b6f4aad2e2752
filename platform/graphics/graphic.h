// The abstract picture, picture class references, the picture-format registry and the picture
// container (what a picture control holds).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/canvas.h"

namespace zeb {

class TGraphic;
class TStream;

// A picture class reference: the class's name, its base, and a factory.
struct TGraphicClassInfo {
  const char* ClassName;
  const TGraphicClassInfo* Parent;
  std::unique_ptr<TGraphic> (*Create)();
  bool InheritsFrom(const TGraphicClassInfo* other) const {
    for (const TGraphicClassInfo* c = this; c; c = c->Parent)
      if (c == other) return true;
    return false;
  }
};
using TGraphicClass = const TGraphicClassInfo*;

// Declares the class reference of a picture class: in the class body ZEB_GRAPHIC_CLASS_DECL(TName);
// in its .cpp ZEB_GRAPHIC_CLASS_DEF(TName, &TBase::Class) (nullptr for a root).
#define ZEB_GRAPHIC_CLASS_DECL(Name)           \
  static const ::zeb::TGraphicClassInfo Class; \
  ::zeb::TGraphicClass ClassType() const override { return &Class; }
#define ZEB_GRAPHIC_CLASS_DEF(Name, ParentClass) \
  const ::zeb::TGraphicClassInfo Name::Class = { \
      #Name, ParentClass, []() -> std::unique_ptr<::zeb::TGraphic> { return std::make_unique<Name>(); }};

enum TProgressStage : uint8_t { psStarting = 0, psRunning = 1, psEnding = 2 };

using TNotifyEvent = std::function<void(TGraphic* sender)>;
using TProgressEvent = std::function<void(TGraphic* sender, TProgressStage stage, uint8_t percentDone,
                                          bool redrawNow, const TRect& r, const std::string& msg)>;

class TGraphic {
 public:
  TGraphic() = default;
  virtual ~TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual TGraphicClass ClassType() const = 0;
  bool InheritsFrom(TGraphicClass cls) const { return ClassType()->InheritsFrom(cls); }

  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
  virtual bool GetEmpty() = 0;
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual TPaletteHandle GetPalette() { return 0; }
  // The picture takes ownership of the palette.
  virtual void SetPalette(TPaletteHandle palette) { FreePalette(palette); }
  virtual void SetWidth(int32_t width) = 0;
  virtual void SetHeight(int32_t height) = 0;
  // By default opens the file for reading (EFOpenError when it cannot) and reads it as a stream.
  virtual void LoadFromFile(const std::string& fileName);
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  virtual void LoadFromClipboardFormat(uint16_t format, uintptr_t data, TPaletteHandle palette);
  virtual void SaveToClipboardFormat(uint16_t& format, uintptr_t& data, TPaletteHandle& palette);
  // Copies Source into this picture. The default hands over to Source.AssignTo, whose default raises
  // EConvertError "Cannot assign a <source class> to a <this class>".
  virtual void Assign(TGraphic& source);
  virtual void AssignTo(TGraphic& dest);
  // The box the picture will be drawn into at most, keeping its proportions, told before it is read.
  // A picture that can decode at a reduced scale may then hold fewer pixels; it still reports its own
  // width and height and draws at any size. 0 x 0 wants every pixel. Others ignore it.
  virtual void SetLargestDrawSize(int32_t, int32_t) {}

  // Reports a decode's stages to OnProgress (if set).
  virtual void Progress(TGraphic* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const TRect& r, const std::string& msg);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  virtual void Changed();
};

// The picture-format registry: extension (without dot, letters compared without regard to case) to
// description and picture class; the latest registration of an extension wins.
class TPicture;
namespace PictureFormats {
void Register(const std::string& extension, const std::string& description, TGraphicClass cls);
void UnregisterGraphicClass(TGraphicClass cls);
// The class registered last for an extension (with or without its dot), or nullptr.
TGraphicClass Find(const std::string& extension);
// "*.ext" items of every registered format, from the latest registration to the first, joined by ";".
std::string FileMask();
// Registers the built-in formats (bmp, ico, emf, wmf, jpeg, jpg) once; every entry point calls it.
void EnsureBuiltIns();
}  // namespace PictureFormats

// Holds one picture; loading a file by name creates the class registered for its extension.
class TPicture {
 public:
  TPicture();
  ~TPicture();
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // Raises EInvalidGraphic for an unregistered extension or invalid data, EFOpenError when the file
  // cannot be opened; a failed load keeps the previous picture.
  void LoadFromFile(const std::string& fileName);
  // Told to every picture this one loads from now on (see TGraphic::SetLargestDrawSize).
  void SetLargestDrawSize(int32_t width, int32_t height);
  // Copies another picture (a new picture of the same class, assigned from it).
  void Assign(const TPicture& source);
  int32_t Width() const;
  int32_t Height() const;

  std::function<void(TPicture* sender)> OnChange;
  TProgressEvent OnProgress;

 private:
  void Attach(TGraphic& graphic);
  std::unique_ptr<TGraphic> graphic_;
  int32_t largestDrawWidth_ = 0, largestDrawHeight_ = 0;
};

}  // namespace zeb
