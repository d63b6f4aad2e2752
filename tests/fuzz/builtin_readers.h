// The viewer's built-in picture readers as the fuzz targets drive them: each reads the bytes as the
// viewer would hand them over, and whatever loads is drawn and checked. A refusal (InvalidPicture) is
// a normal outcome; anything else wrong aborts, so the fuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zeb::fuzz {

// The BMP reader: a loaded picture is drawn, and saving it and reading that back gives it again.
void ReadBmp(const uint8_t* data, size_t size);

// The JPEG reader (libjpeg underneath): decoded reduced, as for a small window, drawn, then decoded
// again at full size for the full pixels, which must have the file's own size. Files declaring more
// than a few million pixels are skipped: their decodes only test the memory limit, slowly.
void ReadJpeg(const uint8_t* data, size_t size);

}  // namespace zeb::fuzz
