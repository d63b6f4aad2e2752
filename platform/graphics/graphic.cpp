#include "platform/graphics/graphic.h"

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/services/file_stream.h"

namespace zeb {

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileMode::fmOpenRead);
  LoadFromStream(stream);
}

void TGraphic::LoadFromClipboardFormat(uint16_t, uintptr_t, TPaletteHandle) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(uint16_t&, uintptr_t&, TPaletteHandle&) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::Assign(TGraphic& source) { source.AssignTo(*this); }

void TGraphic::AssignTo(TGraphic& dest) {
  throw EConvertError(std::string("Cannot assign a ") + ClassType()->ClassName + " to a " +
                      dest.ClassType()->ClassName);
}

void TGraphic::Progress(TGraphic* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const TRect& r, const std::string& msg) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

namespace PictureFormats {
namespace {
struct Format {
  std::string extension;
  std::string description;
  TGraphicClass cls;
};
// In order of registration; lookups walk from the end so the latest registration wins.
std::vector<Format>& Formats() {
  static std::vector<Format> formats;
  return formats;
}
}  // namespace

void Register(const std::string& extension, const std::string& description, TGraphicClass cls) {
  EnsureBuiltIns();
  Formats().push_back({LowerAscii(extension), description, cls});
}

void UnregisterGraphicClass(TGraphicClass cls) {
  EnsureBuiltIns();
  auto& f = Formats();
  std::erase_if(f, [cls](const Format& x) { return x.cls == cls; });
}

TGraphicClass Find(const std::string& extension) {
  EnsureBuiltIns();
  std::string ext = LowerAscii(!extension.empty() && extension[0] == '.' ? extension.substr(1) : extension);
  // A file without an extension never matches a format registered without one.
  if (ext.empty()) return nullptr;
  auto& f = Formats();
  for (auto it = f.rbegin(); it != f.rend(); ++it)
    if (it->extension == ext) return it->cls;
  return nullptr;
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
void RegisterBuiltIn(const std::string& extension, const std::string& description, TGraphicClass cls) {
  Formats().push_back({LowerAscii(extension), description, cls});
}

}  // namespace PictureFormats

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Attach(TGraphic& graphic) {
  graphic.OnProgress = [this](TGraphic* sender, TProgressStage stage, uint8_t percent, bool redraw,
                              const TRect& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
  };
  graphic.OnChange = [this](TGraphic*) {
    if (OnChange) OnChange(this);
  };
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) Attach(*graphic_);
  if (OnChange) OnChange(this);
}

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string ext = ExtensionPart(fileName);
  TGraphicClass cls = PictureFormats::Find(ext.empty() ? ext : ext.substr(1));
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
  std::unique_ptr<TGraphic> g = cls->Create();
  Attach(*g);
  // The new picture's own change notices during the load are not passed on: the change is reported
  // once, when it has taken the old picture's place.
  TNotifyEvent onChange = std::move(g->OnChange);
  g->OnChange = nullptr;
  g->SetLargestDrawSize(largestDrawWidth_, largestDrawHeight_);
  g->LoadFromFile(fileName);
  g->OnChange = std::move(onChange);
  graphic_ = std::move(g);
  if (OnChange) OnChange(this);
}

void TPicture::SetLargestDrawSize(int32_t width, int32_t height) {
  largestDrawWidth_ = width;
  largestDrawHeight_ = height;
}

void TPicture::Assign(const TPicture& source) {
  if (!source.graphic_) {
    SetGraphic(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> g = source.graphic_->ClassType()->Create();
  g->Assign(*source.graphic_);
  SetGraphic(std::move(g));
}

int32_t TPicture::Width() const { return graphic_ ? graphic_->GetWidth() : 0; }
int32_t TPicture::Height() const { return graphic_ ? graphic_->GetHeight() : 0; }

}  // namespace zeb
