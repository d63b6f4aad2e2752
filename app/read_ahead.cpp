#include "app/read_ahead.h"

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/core/strings.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/picture_size.h"
#include "platform/services/background.h"
#include "platform/services/file_system.h"
#include "platform/services/process_memory.h"

namespace zeb::app {

// The decodes not yet finished, dropped ones included.
struct ReadAhead::Outstanding {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;
  std::vector<std::weak_ptr<Job>> jobs;
};

struct ReadAhead::Job {
  enum class State { Waiting, Running, Done };
  std::shared_ptr<Outstanding> outstanding;
  std::string path;
  const ImageFormat* graphicClass = nullptr;
  int32_t roomWidth = 0, roomHeight = 0;
  std::mutex mutex;
  std::condition_variable changed;
  State state = State::Waiting;
  FileStamp stamp;  // the file as it was before it was read
  std::unique_ptr<Image> picture;
};

namespace {

// A job that has ended, with or without a picture, no longer counts as outstanding.
void Finish(ReadAhead::Job& job) {
  ReadAhead::Outstanding& outstanding = *job.outstanding;
  std::lock_guard lock(outstanding.mutex);
  --outstanding.count;
  outstanding.changed.notify_all();
}

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

void Decode(ReadAhead::Job& job) {
  std::unique_ptr<Image> picture;
  FileStamp stamp;
  try {
    if (Files().Stamp(job.path, stamp) && RoomFor(job.path)) {
      picture = job.graphicClass->create();
      picture->SetLargestDrawSize(job.roomWidth, job.roomHeight);
      picture->LoadFromFile(job.path);
    }
  } catch (...) {
    // An unreadable picture is left to its own step, which reports it as usual.
    picture.reset();
  }
  {
    std::lock_guard lock(job.mutex);
    job.stamp = stamp;
    job.picture = std::move(picture);
    job.state = ReadAhead::Job::State::Done;
    job.changed.notify_all();
  }
  Finish(job);
}

// Runs the job unless it has begun already.
void RunOnce(ReadAhead::Job& job) {
  {
    std::lock_guard lock(job.mutex);
    if (job.state != ReadAhead::Job::State::Waiting) return;
    job.state = ReadAhead::Job::State::Running;
  }
  Decode(job);
}

}  // namespace

ReadAhead::ReadAhead() : outstanding_(std::make_shared<Outstanding>()) {}

ReadAhead::~ReadAhead() {
  std::vector<std::shared_ptr<Job>> jobs;
  {
    std::lock_guard lock(outstanding_->mutex);
    for (const auto& weak : outstanding_->jobs)
      if (auto job = weak.lock()) jobs.push_back(std::move(job));
  }
  // Decodes not begun yet never begin; those running are waited for.
  for (const auto& job : jobs) {
    bool cancelled = false;
    {
      std::lock_guard lock(job->mutex);
      if (job->state == Job::State::Waiting) {
        job->state = Job::State::Done;
        cancelled = true;
      }
    }
    if (cancelled) Finish(*job);
  }
  std::unique_lock lock(outstanding_->mutex);
  outstanding_->changed.wait(lock, [this] { return outstanding_->count == 0; });
}

void ReadAhead::Start(const std::string& path, int32_t roomWidth, int32_t roomHeight) {
  if (job_ && job_->path == path) return;
  job_.reset();
  const ImageFormat* cls = OffThreadClass(path);
  if (!cls) return;
  auto job = std::make_shared<Job>();
  job->outstanding = outstanding_;
  job->path = path;
  job->graphicClass = cls;
  job->roomWidth = roomWidth;
  job->roomHeight = roomHeight;
  {
    // Two decodes at most at a time: a dropped one may still run.
    std::lock_guard lock(outstanding_->mutex);
    if (outstanding_->count >= 2) return;
    ++outstanding_->count;
    std::erase_if(outstanding_->jobs, [](const std::weak_ptr<Job>& weak) { return weak.expired(); });
    outstanding_->jobs.push_back(job);
  }
  job_ = job;
  RunInBackground([job] { RunOnce(*job); });
}

std::unique_ptr<Image> ReadAhead::Take(const std::string& path) {
  std::shared_ptr<Job> job = std::move(job_);
  if (!job || job->path != path) return nullptr;
  RunOnce(*job);
  std::unique_lock lock(job->mutex);
  job->changed.wait(lock, [&job] { return job->state == Job::State::Done; });
  FileStamp now;
  if (!job->picture || !Files().Stamp(path, now) || !(now == job->stamp)) return nullptr;
  return std::move(job->picture);
}

void ReadAhead::Drop() { job_.reset(); }

std::string ReadAhead::Path() const { return job_ ? job_->path : std::string(); }

}  // namespace zeb::app
