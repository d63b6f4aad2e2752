// Feeds arbitrary bytes to one of our own import plug-ins (built natively from the same sources over
// spi_native_shim.h): the support test, the picture information and the decode, once to the end and
// once stopped by the progress callback. A decoded picture must be a well-formed DIB in two unlocked
// blocks of the sizes its header gives; a failure must hand out nothing. Bytes the plug-in fails on go
// on to the built-in reader their first bytes name (JPEG, else BMP), as the viewer hands a file its
// extension's reader fails on to the readers that recognise it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "builtin_readers.h"

extern "C" {
#include "common/spi_plugin.h"
}

extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=64:allocator_may_return_null=1";
}

namespace {
struct Progress {
  int calls = 0, stopAt = -1;
};
int Report(int done, int total, LONG_PTR data) {
  auto* p = reinterpret_cast<Progress*>(data);
  if (done < 0 || total < 0) std::abort();
  return p->calls++ == p->stopAt ? 1 : 0;
}

// Checks and frees a decoded picture.
void CheckPicture(HLOCAL info, HLOCAL bits) {
  if (!info || !bits || info->locks != 0 || bits->locks != 0) std::abort();
  const auto* h = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
  const auto* b = static_cast<const uint8_t*>(LocalLock(bits));
  const int64_t width = h->biWidth, height = h->biHeight;
  if (h->biSize != 40 || width < 1 || height < 1 || width * height > (int64_t{1} << 28)) std::abort();
  if (h->biBitCount != 8 && h->biBitCount != 24 && h->biBitCount != 32) std::abort();
  if (h->biClrUsed != (h->biBitCount == 8 ? 256u : 0u) || LocalSize(info) < 40 + 4 * h->biClrUsed)
    std::abort();
  const size_t stride = static_cast<size_t>((width * h->biBitCount + 31) / 32 * 4);
  if (LocalSize(bits) != stride * static_cast<size_t>(height) || h->biSizeImage != LocalSize(bits))
    std::abort();
  // Reading every byte lets the sanitizers see anything uninitialised or out of bounds.
  unsigned sum = 0;
  for (size_t i = 0; i < LocalSize(bits); i += 61) sum += b[i];
  if (sum == 0xFFFFFFFFu) std::abort();
  LocalUnlock(info);
  LocalUnlock(bits);
  LocalFree(info);
  LocalFree(bits);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t head[2176] = {};
  std::memcpy(head, data, size < sizeof head ? size : sizeof head);
  const int supported = IsSupported("", reinterpret_cast<DWORD_PTR>(head));

  PictureInfo info;
  const int infoResult =
      GetPictureInfo(reinterpret_cast<LPCSTR>(data), static_cast<LONG_PTR>(size), 1, &info);
  if (infoResult == SPI_ALL_RIGHT && (info.width < 1 || info.height < 1 || info.hInfo != nullptr))
    std::abort();

  Progress progress;
  HLOCAL hInfo = nullptr, hBits = nullptr;
  int result = GetPicture(reinterpret_cast<LPCSTR>(data), static_cast<LONG_PTR>(size), 1, &hInfo, &hBits,
                          Report, reinterpret_cast<LONG_PTR>(&progress));
  if (!supported && result != SPI_UNKNOWN_FORMAT) std::abort();
  if (result != SPI_ALL_RIGHT) {
    if (hInfo || hBits) std::abort();
    if (result != SPI_UNKNOWN_FORMAT && result != SPI_BROKEN_DATA && result != SPI_NO_MEMORY) std::abort();
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
      zeb::fuzz::ReadJpeg(data, size);
    else
      zeb::fuzz::ReadBmp(data, size);
    return 0;
  }
  CheckPicture(hInfo, hBits);

  // Stopped at the second report: nothing handed out, or the picture when it was done by then.
  Progress stop;
  stop.stopAt = 1;
  hInfo = hBits = nullptr;
  result = GetPicture(reinterpret_cast<LPCSTR>(data), static_cast<LONG_PTR>(size), 1, &hInfo, &hBits, Report,
                      reinterpret_cast<LONG_PTR>(&stop));
  if (result == SPI_ALL_RIGHT)
    CheckPicture(hInfo, hBits);
  else if (result != SPI_ABORT || hInfo || hBits)
    std::abort();
  return 0;
}
