// Reads the built zeb.exe (or zeb64.exe) as a PE file and checks what the system learns from it before it
// runs: its machine, large addresses, and the resources (a manifest with its entries, an icon, a version
// naming the product).
//
//   zeb_exe_check PATH/zeb.exe [x86-64]      exit 0 when everything is there; each lack is printed
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> image;

uint32_t U16(size_t at) { return at + 2 <= image.size() ? image[at] | image[at + 1] << 8 : 0; }
uint32_t U32(size_t at) { return U16(at) | U16(at + 2) << 16; }

struct Section {
  uint32_t address, size, fileOffset;
};
std::vector<Section> sections;

size_t FileOffset(uint32_t rva) {
  for (const Section& s : sections)
    if (rva >= s.address && rva < s.address + s.size) return s.fileOffset + (rva - s.address);
  return image.size();
}

// Resource type id -> the data of its first entry.
std::map<uint32_t, std::string> resources;

void ReadResources(size_t root) {
  const auto entries = [](size_t dir, auto&& each) {
    const uint32_t count = U16(dir + 12) + U16(dir + 14);
    for (uint32_t i = 0; i < count && i < 1000; ++i) each(U32(dir + 16 + 8 * i), U32(dir + 16 + 8 * i + 4));
  };
  entries(root, [&](uint32_t type, uint32_t typeData) {
    if (!(typeData & 0x80000000u)) return;
    entries(root + (typeData & 0x7FFFFFFFu), [&](uint32_t, uint32_t nameData) {
      if (!(nameData & 0x80000000u) || resources.count(type)) return;
      entries(root + (nameData & 0x7FFFFFFFu), [&](uint32_t, uint32_t languageData) {
        if ((languageData & 0x80000000u) || resources.count(type)) return;
        const size_t entry = root + languageData;
        const size_t data = FileOffset(U32(entry)), size = U32(entry + 4);
        if (data + size <= image.size())
          resources[type] = std::string(image.begin() + static_cast<long>(data),
                                        image.begin() + static_cast<long>(data + size));
      });
    });
  });
}

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += {c, '\0'};
  return wide;
}

int failures = 0;
void Expect(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok:     " : "MISSING:", what.c_str());
  if (!ok) ++failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ifstream file(argv[1], std::ios::binary);
  image.assign(std::istreambuf_iterator<char>(file), {});
  const size_t pe = U32(0x3C);
  if (image.size() < 64 || U32(pe) != 0x4550) {
    std::printf("%s is no PE file\n", argv[1]);
    return 1;
  }
  const size_t coff = pe + 4, optional = coff + 20;
  Expect(U16(coff + 18) & 0x20, "large-address-aware");
  const bool x64 = argc > 2 && std::string(argv[2]) == "x86-64";
  if (x64)
    Expect(U16(coff) == 0x8664 && U16(optional) == 0x20B, "an x86-64 image");
  else
    Expect(U16(coff) == 0x14C && U16(optional) == 0x10B, "a 32-bit image");
  const uint32_t sectionCount = U16(coff + 2), optionalSize = U16(coff + 16);
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const size_t s = optional + optionalSize + 40 * i;
    sections.push_back({U32(s + 12), std::max(U32(s + 8), U32(s + 16)), U32(s + 20)});
  }
  // The data directories follow the optional header's fields, 16 bytes more of them in a 64-bit image.
  const uint32_t resourceRva = U32(optional + (x64 ? 112 : 96) + 8 * 2);
  if (resourceRva) ReadResources(FileOffset(resourceRva));

  const std::string& manifest = resources[24];
  for (const char* entry :
       {"PerMonitorV2", "true/pm", "<longPathAware", ">true</longPathAware>", "asInvoker",
        "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" /* Windows 10 and 11 */,
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}" /* 8.1 */, "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}" /* 7 */})
    Expect(manifest.find(entry) != std::string::npos, std::string("manifest entry ") + entry);
  Expect(resources.count(3) && resources.count(14), "an icon");
  const std::string& version = resources[16];
  Expect(version.find(Utf16("ProductName")) != std::string::npos &&
             version.find(Utf16("ZEB")) != std::string::npos,
         "a version resource naming the product ZEB");
  Expect(version.find(Utf16("ProductVersion")) != std::string::npos, "the product's version");
  return failures ? 1 : 0;
}
