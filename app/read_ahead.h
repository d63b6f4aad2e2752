// Reading the next picture ahead: once a picture is shown, the entry the next step will show is decoded
// beside the window's thread, and the step that reaches it takes the decoded picture instead of reading
// the file again. One picture ahead at most.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/graphic.h"
#include "platform/services/background.h"
#include "platform/services/file_system.h"

namespace zeb::app {

class ReadAhead {
 public:
  ReadAhead();
  // Cancels the decodes not begun and waits for those running, a while: they read files the process may
  // no longer hold open after it. One that outlasts the wait ends on its own, touching only its own job.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Starts decoding Path when its picture can be decoded off the window's thread: a built-in format
  // that needs no plug-in, and, above 50 megapixels, only while the address space has room to spare.
  // A read-ahead of another entry is dropped (a decode already running stops at its next progress
  // report). The picture is told the room it will be fitted into (see Image::SetLargestDrawSize).
  void Start(const std::string& path, int32_t roomWidth, int32_t roomHeight);
  // A decode begun for a room narrower or lower than this one begins again for the room that holds
  // both: a picture opened from outside starts before the screen's size is known.
  void EnsureRoom(int32_t roomWidth, int32_t roomHeight);
  // The picture read ahead for Path, when its decode succeeded and the file is as it was when it was
  // read; a decode of Path still running is waited for, one not begun yet is run now. Otherwise (and
  // for any other entry) nullptr, and the read-ahead is dropped.
  std::unique_ptr<Image> Take(const std::string& path);
  void Drop();
  // The entry being read ahead, or "".
  std::string Path() const;

  // Pictures above this many pixels are read ahead only while the address space left is at least
  // kRoomFactor times their decoded size.
  static constexpr uint64_t kLargePixels = 50'000'000;
  static constexpr uint64_t kRoomFactor = 4;

  // How long the end waits for a decode still running.
  static constexpr std::chrono::milliseconds kStopWait{2000};

  // A decode: the file as it was before it was read, and its picture (none when it could not be read).
  struct Decoded {
    FileStamp stamp;
    std::unique_ptr<Image> picture;
  };

 private:
  std::string path_;
  int32_t roomWidth_ = 0, roomHeight_ = 0;
  std::unique_ptr<BackgroundTask<Decoded>> decode_;
  std::vector<std::shared_ptr<BackgroundJob>> started_;  // dropped ones included, until they end
};

}  // namespace zeb::app
