// Reading the next picture ahead: once a picture is shown, the entry the next step will show is decoded
// beside the window's thread, and the step that reaches it takes the decoded picture instead of reading
// the file again. One picture ahead at most.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/graphic.h"

namespace zeb::app {

class ReadAhead {
 public:
  ReadAhead();
  // Waits for decodes still running: they read files the process may no longer hold open after it.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Starts decoding Path when its picture can be decoded off the window's thread: a built-in format
  // that needs no plug-in, and, above 50 megapixels, only while the address space has room to spare.
  // A read-ahead of another entry is dropped (a decode already running finishes unseen). The picture is
  // told the room it will be fitted into (see Image::SetLargestDrawSize).
  void Start(const std::string& path, int32_t roomWidth, int32_t roomHeight);
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

  struct Job;
  struct Outstanding;

 private:
  std::shared_ptr<Job> job_;
  std::shared_ptr<Outstanding> outstanding_;
};

}  // namespace zeb::app
