// The abstract picture, picture formats, the picture-format registry and the picture
// container (what a picture control holds).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/canvas.h"

namespace zeb {

class Image;
class Stream;

// A picture class as the picture-format registry and Picture::Assign know it: its name and a factory
// of empty pictures of it. Each picture class has one, its kFormat.
struct ImageFormat {
  const char* name;
  std::unique_ptr<Image> (*create)();
  // Whether a file beginning with Head (its first bytes, at most kHeadSize) may be of this format: a
  // file whose extension names a format that cannot read it is tried with the formats that answer
  // yes. Null: never tried by content.
  bool (*recognises)(const uint8_t* head, size_t size) = nullptr;
  static constexpr size_t kHeadSize = 2048;
};

template <class T>
std::unique_ptr<Image> NewImage() {
  return std::make_unique<T>();
}

enum class ProgressStage : uint8_t { Starting = 0, Running = 1, Ending = 2 };

using ChangeHandler = std::function<void(Image* sender)>;
using ProgressHandler = std::function<void(Image* sender, ProgressStage stage, uint8_t percentDone,
                                           bool redrawNow, const PixelRect& r, const std::string& msg)>;

class Image {
 public:
  Image() = default;
  virtual ~Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // The picture's own class (its kFormat).
  virtual const ImageFormat& Format() const = 0;

  virtual void Draw(Canvas& canvas, const PixelRect& rect) = 0;
  virtual bool GetEmpty() = 0;
  // Whether parts of the picture let what is behind it show through.
  virtual bool Transparent() { return false; }
  // The bits a pixel of the one bitmap Draw hands to the canvas, 0 when it draws otherwise or nothing:
  // a rendering in the same format is drawn into fastest.
  virtual uint16_t DrawnBitCount() { return 0; }
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual PaletteHandle GetPalette() { return 0; }
  // The picture takes ownership of the palette.
  virtual void SetPalette(PaletteHandle palette) { FreePalette(palette); }
  virtual void SetWidth(int32_t width) = 0;
  virtual void SetHeight(int32_t height) = 0;
  // By default opens the file for reading (FileOpenError when it cannot) and reads it as a stream.
  virtual void LoadFromFile(const std::string& fileName);
  virtual void LoadFromStream(Stream& stream) = 0;
  virtual void SaveToStream(Stream& stream) = 0;
  // Copies Source into this picture. The default hands over to Source.AssignTo, whose default raises
  // ConversionError "Cannot assign a <source class> to a <this class>".
  virtual void Assign(Image& source);
  virtual void AssignTo(Image& dest);
  // The box the upright picture (turned as Orientation says) will be drawn into at most, keeping its
  // proportions, told before it is read. A picture that can decode at a reduced scale may then hold
  // fewer pixels; it still reports its own width and height and draws at any size. 0 x 0 wants every
  // pixel. Others ignore it.
  virtual void SetLargestDrawSize(int32_t, int32_t) {}
  // How the picture is turned to be upright, as its file says (a photo's Exif orientation): width,
  // height and drawing stay those of the pixels as stored. The default: upright as stored.
  virtual PictureTurn Orientation() { return {}; }

  // Reports a decode's stages to OnProgress (if set).
  virtual void Progress(Image* sender, ProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const PixelRect& r, const std::string& msg);

  ChangeHandler OnChange;
  ProgressHandler OnProgress;

 protected:
  virtual void Changed();
};

// The picture-format registry: extension (without dot, letters compared without regard to case) to
// description and picture format; the latest registration of an extension wins.
class Picture;
namespace PictureFormats {
void Register(const std::string& extension, const std::string& description, const ImageFormat* format);
void UnregisterFormat(const ImageFormat* format);
// The format registered last for an extension (with or without its dot), or nullptr.
const ImageFormat* Find(const std::string& extension);
// The registered formats that recognise a file beginning with Head, each once, in the order they were
// first registered (the built-in formats first).
std::vector<const ImageFormat*> RecognisedBy(const uint8_t* head, size_t size);
// "*.ext" items of every registered format, from the latest registration to the first, joined by ";".
std::string FileMask();
// Registers the built-in formats (bmp, ico, emf, wmf, jpeg, jpg) once; every entry point calls it.
void EnsureBuiltIns();
}  // namespace PictureFormats

// Holds one picture; loading a file by name creates a picture of the format registered for its extension.
class Picture {
 public:
  Picture();
  ~Picture();
  Image* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<Image> graphic);
  // Raises InvalidPicture for an unregistered extension or invalid data, FileOpenError when the file
  // cannot be opened; a failed load keeps the previous picture. A file its extension's format cannot
  // read is tried with the formats that recognise its first bytes (a PNG named .jpg, say).
  void LoadFromFile(const std::string& fileName);
  // Told to every picture this one loads from now on (see Image::SetLargestDrawSize).
  void SetLargestDrawSize(int32_t width, int32_t height);
  // Copies another picture (a new picture of the same format, assigned from it).
  void Assign(const Picture& source);
  int32_t Width() const;
  int32_t Height() const;

  std::function<void(Picture* sender)> OnChange;
  ProgressHandler OnProgress;

 private:
  void Attach(Image& graphic);
  void LoadAs(const ImageFormat& format, const std::string& fileName);
  std::unique_ptr<Image> graphic_;
  int32_t largestDrawWidth_ = 0, largestDrawHeight_ = 0;
};

}  // namespace zeb
