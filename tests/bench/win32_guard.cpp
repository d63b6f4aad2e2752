// What the guard adds to a plug-in call: ppm.spi's IsSupported (a header it refuses, so the call is
// short) called straight through its export, and the same call through the module's guarded call, in
// the same run. The guard should add well under a microsecond.
//
//   zeb_bench_win32_guard.exe [plug-in folder]   (default: the "plugins" folder beside this program)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "platform/services/library.h"
#include "spi/spi_module.h"

namespace {

constexpr int kCalls = 1000000, kRuns = 5;

template <class F>
double NanosecondsPerCall(F call) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) call();
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / kCalls;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zeb;
  const std::string folder = argc > 1 ? argv[1] : FolderPart(Files().ProgramFileName()) + "plugins";
  const std::string path = folder + "\\ppm.spi";
  std::unique_ptr<spi::PluginModule> module = spi::CreatePluginModule(path);
  if (!module) {
    std::printf("cannot load %s\n", path.c_str());
    return 1;
  }
  auto direct = reinterpret_cast<spi::IsSupportedProc>(module->GetProc("IsSupported"));
  std::vector<char> header(spi::kHeaderBufferSize, 'x');
  const auto data = reinterpret_cast<uintptr_t>(header.data());
  volatile int sink = 0;

  std::vector<double> plain, guarded;
  for (int run = 0; run < kRuns; ++run) {
    plain.push_back(NanosecondsPerCall([&] { sink = sink + direct("x.ppm", data); }));
    guarded.push_back(NanosecondsPerCall([&] { sink = sink + module->IsSupported("x.ppm", data); }));
  }
  std::sort(plain.begin(), plain.end());
  std::sort(guarded.begin(), guarded.end());
  const double p = plain[kRuns / 2], g = guarded[kRuns / 2];
  std::printf("IsSupported, median of %d runs of %d calls\n", kRuns, kCalls);
  std::printf("  straight through the export  %8.1f ns/call\n", p);
  std::printf("  through the guarded call     %8.1f ns/call\n", g);
  std::printf("  the guard adds               %8.1f ns/call (ratio %.2f) %s\n", g - p, g / p,
              g - p < 1000.0 ? "under 1 us" : "OVER 1 us");
  return 0;
}
