#include "platform/graphics/graphic.h"

#include <algorithm>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/services/file_stream.h"

namespace zeb {

void Image::LoadFromFile(const std::string& fileName) {
  FileStream stream(fileName, FileMode::OpenRead);
  LoadFromStream(stream);
}

void Image::Assign(Image& source) { source.AssignTo(*this); }

void Image::AssignTo(Image& dest) {
  throw ConversionError(std::string("Cannot assign a ") + Format().name + " to a " + dest.Format().name);
}

void Image::Progress(Image* sender, ProgressStage stage, uint8_t percentDone, bool redrawNow,
                     const PixelRect& r, const std::string& msg) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void Image::Changed() {
  if (OnChange) OnChange(this);
}

namespace PictureFormats {
namespace {
struct Format {
  std::string extension;
  std::string description;
  const ImageFormat* format;
};
// In order of registration; lookups walk from the end so the latest registration wins.
std::vector<Format>& Formats() {
  static std::vector<Format> formats;
  return formats;
}
}  // namespace

void Register(const std::string& extension, const std::string& description, const ImageFormat* format) {
  EnsureBuiltIns();
  Formats().push_back({LowerAscii(extension), description, format});
}

void UnregisterFormat(const ImageFormat* format) {
  EnsureBuiltIns();
  std::erase_if(Formats(), [format](const Format& x) { return x.format == format; });
}

const ImageFormat* Find(const std::string& extension) {
  EnsureBuiltIns();
  std::string ext = LowerAscii(!extension.empty() && extension[0] == '.' ? extension.substr(1) : extension);
  // A file without an extension never matches a format registered without one.
  if (ext.empty()) return nullptr;
  auto& f = Formats();
  for (auto it = f.rbegin(); it != f.rend(); ++it)
    if (it->extension == ext) return it->format;
  return nullptr;
}

std::vector<const ImageFormat*> RecognisedBy(const uint8_t* head, size_t size) {
  EnsureBuiltIns();
  std::vector<const ImageFormat*> found;
  for (const Format& f : Formats())
    if (f.format->recognises && std::find(found.begin(), found.end(), f.format) == found.end() &&
        f.format->recognises(head, size))
      found.push_back(f.format);
  return found;
}

std::string FileMask() {
  EnsureBuiltIns();
  std::string mask;
  auto& f = Formats();
  for (auto it = f.rbegin(); it != f.rend(); ++it) {
    if (it->extension.empty()) continue;
    if (!mask.empty()) mask += ';';
    mask += "*." + it->extension;
  }
  return mask;
}

// Registers a built-in format without going through EnsureBuiltIns again.
void RegisterBuiltIn(const std::string& extension, const std::string& description,
                     const ImageFormat* format) {
  Formats().push_back({LowerAscii(extension), description, format});
}

}  // namespace PictureFormats

Picture::Picture() = default;
Picture::~Picture() = default;

void Picture::Attach(Image& graphic) {
  graphic.OnProgress = [this](Image* sender, ProgressStage stage, uint8_t percent, bool redraw,
                              const PixelRect& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
  };
  graphic.OnChange = [this](Image*) {
    if (OnChange) OnChange(this);
  };
}

void Picture::SetGraphic(std::unique_ptr<Image> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) Attach(*graphic_);
  if (OnChange) OnChange(this);
}

void Picture::LoadFromFile(const std::string& fileName) {
  std::string ext = ExtensionPart(fileName);
  const ImageFormat* format = PictureFormats::Find(ext.empty() ? ext : ext.substr(1));
  if (!format) throw InvalidPicture("Unknown picture file extension (" + ext + ")");
  try {
    LoadAs(*format, fileName);
  } catch (const InvalidPicture&) {
    // Files are often misnamed (a download saved as .jpg): the formats its first bytes name are tried
    // before the file counts as unreadable, and the first error is the one told.
    std::string head(ImageFormat::kHeadSize, '\0');
    {
      FileStream stream(fileName, FileMode::OpenRead);
      head.resize(static_cast<size_t>(stream.Read(head.data(), static_cast<int64_t>(head.size()))));
    }
    for (const ImageFormat* other :
         PictureFormats::RecognisedBy(reinterpret_cast<const uint8_t*>(head.data()), head.size())) {
      if (other == format) continue;
      try {
        LoadAs(*other, fileName);
        return;
      } catch (const InvalidPicture&) {
      }
    }
    throw;
  }
}

void Picture::LoadAs(const ImageFormat& format, const std::string& fileName) {
  std::unique_ptr<Image> g = format.create();
  Attach(*g);
  // The new picture's own change notices during the load are not passed on: the change is reported
  // once, when it has taken the old picture's place.
  ChangeHandler onChange = std::move(g->OnChange);
  g->OnChange = nullptr;
  g->SetLargestDrawSize(largestDrawWidth_, largestDrawHeight_);
  g->LoadFromFile(fileName);
  g->OnChange = std::move(onChange);
  graphic_ = std::move(g);
  if (OnChange) OnChange(this);
}

void Picture::SetLargestDrawSize(int32_t width, int32_t height) {
  largestDrawWidth_ = width;
  largestDrawHeight_ = height;
}

void Picture::Assign(const Picture& source) {
  if (!source.graphic_) {
    SetGraphic(nullptr);
    return;
  }
  std::unique_ptr<Image> g = source.graphic_->Format().create();
  g->Assign(*source.graphic_);
  SetGraphic(std::move(g));
}

int32_t Picture::Width() const { return graphic_ ? graphic_->GetWidth() : 0; }
int32_t Picture::Height() const { return graphic_ ? graphic_->GetHeight() : 0; }

}  // namespace zeb
