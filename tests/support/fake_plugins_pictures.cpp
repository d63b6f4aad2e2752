#include "tests/support/fake_plugins_pictures.h"

#include <cstring>

namespace zeb::test {

namespace {
void AppendLE32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void AppendLE16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}
}  // namespace

uint32_t MadeTableColour(uint32_t i) {
  return ((i * 7) & 0xFF) << 16 | ((i * 13 + 5) & 0xFF) << 8 | ((255 - i) & 0xFF);
}

RawDib MakeDib(int32_t width, int32_t height, uint16_t bitCount, uint32_t clrUsed,
               std::vector<uint32_t> table, std::string bits) {
  RawDib d;
  AppendLE32(d.info, 40);
  AppendLE32(d.info, static_cast<uint32_t>(width));
  AppendLE32(d.info, static_cast<uint32_t>(height));
  AppendLE16(d.info, 1);
  AppendLE16(d.info, bitCount);
  AppendLE32(d.info, 0);  // BI_RGB
  int64_t rows = height < 0 ? -int64_t{height} : height;
  int64_t size = static_cast<int64_t>(RowBytes(width, bitCount)) * rows;
  AppendLE32(d.info, static_cast<uint32_t>(size));
  AppendLE32(d.info, 2835);
  AppendLE32(d.info, 2835);
  AppendLE32(d.info, clrUsed);
  AppendLE32(d.info, 0);
  if (table.empty()) {
    uint32_t n = clrUsed ? clrUsed : bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    for (uint32_t i = 0; i < n; ++i) table.push_back(MadeTableColour(i));
  }
  for (uint32_t c : table) AppendLE32(d.info, c);
  d.bits = bits.empty() ? std::string(static_cast<size_t>(size), '\0') : std::move(bits);
  return d;
}

void PutLE32(RawDib& dib, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) dib.info[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutLE16(RawDib& dib, size_t offset, uint16_t value) {
  dib.info[offset] = static_cast<char>(value & 0xFF);
  dib.info[offset + 1] = static_cast<char>(value >> 8);
}

int ReturnDib(const RawDib& dib, LocalHandle* hInfo, LocalHandle* hBits) {
  LocalHandle info = LocalAllocate(dib.info.size());
  if (!info) return 4;
  LocalHandle bits = LocalAllocate(dib.bits.size());
  if (!bits) {
    LocalFreeHandle(info);
    return 4;
  }
  if (!dib.info.empty()) std::memcpy(LocalLockHandle(info), dib.info.data(), dib.info.size());
  LocalUnlockHandle(info);
  if (!dib.bits.empty()) std::memcpy(LocalLockHandle(bits), dib.bits.data(), dib.bits.size());
  LocalUnlockHandle(bits);
  *hInfo = info;
  *hBits = bits;
  return 0;
}

FakePictureFn Returning(RawDib dib) {
  return [dib](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
               spi::ProgressCallback progress, intptr_t userData) {
    if (progress && progress(0, 1, userData)) return 1;
    if (progress && progress(1, 1, userData)) return 1;
    return ReturnDib(dib, hInfo, hBits);
  };
}

std::string MakeBmpFile(const RawDib& dib) {
  std::string f = "BM";
  AppendLE32(f, static_cast<uint32_t>(14 + dib.info.size() + dib.bits.size()));
  AppendLE32(f, 0);
  AppendLE32(f, static_cast<uint32_t>(14 + dib.info.size()));
  return f + dib.info + dib.bits;
}

}  // namespace zeb::test
