// Feeds arbitrary bytes to the viewer's built-in readers, the one for the content: a JPEG's start of
// image (FF D8) goes to the JPEG reader, anything else to the BMP reader. The viewer chooses by the
// file's extension, and each reader refuses another format's bytes at once, so choosing by content
// only spares the fuzzer the refusals.
#include <cstddef>
#include <cstdint>

#include "builtin_readers.h"

// A small quarantine keeps memory bounded when inputs declare large (but valid) RLE pictures.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
    zeb::fuzz::ReadJpeg(data, size);
  else
    zeb::fuzz::ReadBmp(data, size);
  return 0;
}
