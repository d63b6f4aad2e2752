// How fast the viewer answers N: stepping through 200 JPEGs of 3000 x 2000 on the real main window
// (each step loads, fits the window and paints), against decoding the same files with libjpeg-turbo
// alone in the same run.
//
//   zeb_bench_win32_steps.exe [folder]
// The pictures are made once in the temporary folder and reused.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"
#include "tests/support/jpeg_maker.h"

namespace {

constexpr int kPictures = 200, kWidth = 3000, kHeight = 2000, kRuns = 3;

double Milliseconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::wstring DefaultFolder() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp, n) + L"zeb_bench_steps";
}

std::wstring PicturePath(const std::wstring& folder, int i) {
  wchar_t name[32];
  std::swprintf(name, 32, L"\\step%03d.jpg", i);
  return folder + name;
}

bool WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(h);
  return ok;
}

bool MakePictures(const std::wstring& folder) {
  const std::wstring done = folder + L"\\complete.txt";
  if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::printf("making %d JPEGs of %d x %d in %s ...\n", kPictures, kWidth, kHeight,
              zeb::win32::Narrow(folder).c_str());
  CreateDirectoryW(folder.c_str(), nullptr);
  // Qualities vary a little, so the files are not all the same.
  for (int i = 0; i < kPictures; ++i)
    if (!WriteFile(PicturePath(folder, i),
                   zeb::test::MakeJpeg({.width = kWidth, .height = kHeight, .quality = 85 + i % 10})))
      return false;
  return WriteFile(done, "");
}

// libjpeg alone: read the file, decode it to BGRX rows (as the viewer's JPEG class does) into a buffer
// of its own, free it again.
bool DecodeBare(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return false;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  const size_t stride = size_t{cinfo.output_width} * 4;
  auto* pixels = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
  JSAMPROW rows[16];
  while (cinfo.output_scanline < cinfo.output_height) {
    unsigned n = std::min(16u, cinfo.output_height - cinfo.output_scanline);
    for (unsigned i = 0; i < n; ++i) rows[i] = pixels + (cinfo.output_scanline + i) * stride;
    jpeg_read_scanlines(&cinfo, rows, n);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::free(pixels);
  std::fclose(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zeb::app;
  const std::wstring folder = argc > 1 ? zeb::win32::Widen(argv[1]) : DefaultFolder();
  if (!MakePictures(folder)) {
    std::printf("cannot make the pictures in %s\n", zeb::win32::Narrow(folder).c_str());
    return 1;
  }

  // The viewer's windows as at start-up, with the folder as the one argument: the window shows the
  // first picture before the timing starts.
  ViewerModel model;
  auto jump = std::make_unique<JumpDialog>();
  auto list = std::make_unique<ListWindow>(model);
  auto form = std::make_unique<MainWindow>(model, jump.get(), list.get(),
                                           std::vector<std::string>{zeb::win32::Narrow(folder)});
  zeb::ui::Application& application = zeb::ui::App();
  application.ProcessMessages();
  if (form->Model().list.Count() != kPictures) {
    std::printf("the list holds %d pictures, not %d\n", form->Model().list.Count(), kPictures);
    return 1;
  }

  // Each run: one pass of N from the first picture to the last, with the window's messages (painting)
  // handled after each step as the message loop does between key presses; then the same files decoded
  // by libjpeg alone. Runs alternate, so a busy machine disturbs both alike; the best run of each counts.
  double bestStep = 1e300, bestKey = 0, bestPaint = 0, bestDecode = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    uint16_t key = 'A';
    form->OnKeyDown(key, 0);
    application.ProcessMessages();
    double keyTime = 0, paintTime = 0;
    for (int i = 1; i < kPictures; ++i) {
      keyTime += Milliseconds([&] {
        uint16_t n = 'N';
        form->OnKeyDown(n, 0);
      });
      paintTime += Milliseconds([&] { application.ProcessMessages(); });
    }
    if (form->Model().current != kPictures - 1 || form->Model().list.Count() != kPictures) {
      std::printf("the walk ended at %d of %d entries\n", form->Model().current, form->Model().list.Count());
      return 1;
    }
    const double step = (keyTime + paintTime) / (kPictures - 1);
    if (step < bestStep) {
      bestStep = step;
      bestKey = keyTime / (kPictures - 1);
      bestPaint = paintTime / (kPictures - 1);
    }

    bool ok = true;
    const double total = Milliseconds([&] {
      for (int i = 1; i < kPictures; ++i) ok = DecodeBare(PicturePath(folder, i)) && ok;
    });
    if (!ok) {
      std::printf("libjpeg could not read the pictures\n");
      return 1;
    }
    bestDecode = std::min(bestDecode, total / (kPictures - 1));
  }

  std::printf("%d JPEGs of %d x %d, shown at %.0f %% in a %d x %d window\n", kPictures, kWidth, kHeight,
              form->Shown().zoom * 100, form->Width(), form->Height());
  std::printf("step with N (load, fit, paint): %8.1f ms  (key handler %.1f ms, painting %.1f ms)\n", bestStep,
              bestKey, bestPaint);
  std::printf("libjpeg-turbo decode alone:     %8.1f ms\n", bestDecode);
  std::printf("ratio step / decode:            %8.2f\n", bestStep / bestDecode);
  form.reset();
  list.reset();
  jump.reset();
  return 0;
}
