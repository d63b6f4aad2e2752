#include "app/read_ahead.h"

#include <algorithm>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/picture_size.h"
#include "platform/services/file_system.h"
#include "platform/services/process_memory.h"

namespace zeb::app {

namespace {

// Only the built-in decoders of plain memory run off the window's thread: a plug-in's code may not be
// ready for that.
const ImageFormat* OffThreadClass(const std::string& path) {
  const std::string ext = ExtensionPart(path);
  if (ext.empty()) return nullptr;
  const ImageFormat* cls = PictureFormats::Find(ext.substr(1));
  return cls == &JpegImage::kFormat || cls == &Bitmap::kFormat ? cls : nullptr;
}

// A large picture waits for its own step unless the address space has room for it to spare.
bool RoomFor(const std::string& path) {
  std::string head(65536, '\0');
  try {
    std::unique_ptr<FileHandle> file = Files().Open(path, FileMode::OpenRead);
    head.resize(static_cast<size_t>(std::max<int64_t>(file->Read(head.data(), 65536), 0)));
  } catch (const std::exception&) {
    return false;
  }
  uint64_t pixels = 0;
  if (!DeclaredPixelCount(head, pixels)) return true;  // the decoder will refuse it soon enough
  return pixels <= ReadAhead::kLargePixels || FreeAddressSpace() / ReadAhead::kRoomFactor / 4 >= pixels;
}

ReadAhead::Decoded Decode(const std::string& path, const ImageFormat* cls, int32_t roomWidth,
                          int32_t roomHeight, const CancelToken& token) {
  ReadAhead::Decoded decoded;
  try {
    if (!token.Cancelled() && Files().Stamp(path, decoded.stamp) && RoomFor(path) && !token.Cancelled()) {
      decoded.picture = cls->create();
      decoded.picture->SetLargestDrawSize(roomWidth, roomHeight);
      // A dropped decode stops at its next progress report rather than finishing unseen.
      decoded.picture->OnProgress = [&token](Image*, ProgressStage, uint8_t, bool, const PixelRect&,
                                             const std::string&) {
        if (token.Cancelled()) throw SilentAbort("");
      };
      decoded.picture->LoadFromFile(path);
      decoded.picture->OnProgress = nullptr;
    }
  } catch (...) {
    // An unreadable picture is left to its own step, which reports it as usual.
    decoded.picture.reset();
  }
  return decoded;
}

}  // namespace

ReadAhead::ReadAhead() = default;

ReadAhead::~ReadAhead() { CancelAndWait(started_, kStopWait); }

void ReadAhead::Start(const std::string& path, int32_t roomWidth, int32_t roomHeight) {
  if (decode_ && path_ == path) return;
  Drop();
  const ImageFormat* cls = OffThreadClass(path);
  if (!cls) return;
  // Two decodes at most at a time: a dropped one may still run.
  std::erase_if(started_, [](const std::shared_ptr<BackgroundJob>& job) { return job->Ended(); });
  if (started_.size() >= 2) return;
  path_ = path;
  roomWidth_ = roomWidth;
  roomHeight_ = roomHeight;
  decode_ =
      std::make_unique<BackgroundTask<Decoded>>([path, cls, roomWidth, roomHeight](const CancelToken& token) {
        return Decode(path, cls, roomWidth, roomHeight, token);
      });
  started_.push_back(decode_->Job());
}

void ReadAhead::EnsureRoom(int32_t roomWidth, int32_t roomHeight) {
  if (!decode_ || (roomWidth <= roomWidth_ && roomHeight <= roomHeight_)) return;
  const std::string path = path_;
  const int32_t width = std::max(roomWidth, roomWidth_), height = std::max(roomHeight, roomHeight_);
  Drop();
  Start(path, width, height);
}

std::unique_ptr<Image> ReadAhead::Take(const std::string& path) {
  std::unique_ptr<BackgroundTask<Decoded>> decode = std::move(decode_);
  if (!decode || path_ != path) return nullptr;
  std::optional<Decoded> decoded = decode->Take();
  FileStamp now;
  if (!decoded || !decoded->picture || !Files().Stamp(path, now) || !(now == decoded->stamp)) return nullptr;
  return std::move(decoded->picture);
}

// A decode not begun is not wanted any more; one running stops at its next progress report.
void ReadAhead::Drop() { decode_.reset(); }

std::string ReadAhead::Path() const { return decode_ ? path_ : std::string(); }

}  // namespace zeb::app
