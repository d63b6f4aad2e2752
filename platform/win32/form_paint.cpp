// Painting a form: its picture controls are drawn once into a memory bitmap the size of the client
// area, and every repaint copies from it, so that exposing or moving the window costs no redraw of a
// large picture. Anything that changes the picture, its rectangle or its stretching invalidates the
// form, which drops the rendering (and the first paint after it may draw straight into the window).
#include "platform/graphics/graphic.h"
#include "platform/win32/gdi_canvas.h"
#include "platform/win32/window_layer.h"

namespace zeb::win32 {

void ReleasePaintCache(ui::Window::Impl& im) {
  if (im.cacheDC) {
    SelectObject(im.cacheDC, im.cacheOldBitmap);
    DeleteDC(im.cacheDC);
  }
  if (im.cacheBitmap) DeleteObject(im.cacheBitmap);
  im.cacheDC = nullptr;
  im.cacheBitmap = nullptr;
  im.cacheOldBitmap = nullptr;
  im.cacheWidth = im.cacheHeight = im.cacheBitCount = 0;
  im.painted = ui::Window::Impl::Painted::Nothing;
}

// Stretching a large picture costs least when the rendering has the picture's own pixel format
// (under Wine a 6000 x 4000 picture takes about 10 ms into the same format and 150 ms into another,
// which is converted whole first). Pictures held in 32 bits (JPEGs, pictures with alpha) get a 32-bit
// rendering, which is also the window's own format; others mostly come in 24 bits.
static int CacheBitCount(ui::Window::Impl& im) {
  for (ui::PictureControl* image : im.form->Images()) {
    if (!image->Visible()) continue;
    Image* graphic = image->Content().Graphic();
    return graphic && graphic->DrawnBitCount() == 32 ? 32 : 24;
  }
  return 24;
}

static bool MakeCache(ui::Window::Impl& im, HDC dc, int width, int height, int bitCount) {
  if (im.cacheDC && im.cacheWidth == width && im.cacheHeight == height && im.cacheBitCount == bitCount)
    return true;
  ReleasePaintCache(im);
  im.cacheDC = CreateCompatibleDC(dc);
  // A DIB section, not a device bitmap, so that drawing into it stays in the process.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
  void* bits = nullptr;
  im.cacheBitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!im.cacheDC || !im.cacheBitmap) {
    ReleasePaintCache(im);
    return false;
  }
  im.cacheOldBitmap = SelectObject(im.cacheDC, im.cacheBitmap);
  im.cacheWidth = width;
  im.cacheHeight = height;
  im.cacheBitCount = bitCount;
  return true;
}

// Draws the visible picture controls (each paints the whole client area, black around its picture).
static void Render(ui::Window::Impl& im, HDC dc, int width, int height) {
  GdiCanvas canvas(dc);
  for (ui::PictureControl* image : im.form->Images())
    if (image->Visible()) ui::App().Guard([&] { image->Paint(canvas, width, height); });
}

void PaintForm(ui::Window::Impl& im, HDC dc, const RECT& area) {
  RECT client;
  GetClientRect(im.hwnd, &client);
  int width = client.right, height = client.bottom;
  bool pictures = false;
  for (ui::PictureControl* image : im.form->Images()) pictures = pictures || image->Visible();
  if (!pictures || width <= 0 || height <= 0) {
    FillRect(dc, &area, im.background);
    return;
  }
  using Painted = ui::Window::Impl::Painted;
  const int bitCount = CacheBitCount(im);
  // The first paint after a change draws pictures held in the window's own format straight into it: a
  // picture shown once (a step, a slide, the first picture) costs no rendering kept, and shows sooner.
  // A repaint without a change between renders them for the repaints after. Other formats are always
  // rendered, as stretching them into the window would convert every pixel first.
  if (im.painted == Painted::Nothing && bitCount == 32) {
    im.painted = Painted::StraightOnce;
    Render(im, dc, width, height);
    return;
  }
  if (!MakeCache(im, dc, width, height, bitCount)) {
    // No memory for the rendering: draw straight into the window.
    Render(im, dc, width, height);
    return;
  }
  if (im.painted != Painted::Cached) {
    // Before drawing: a handler that invalidates again makes the next paint redraw.
    im.painted = Painted::Cached;
    Render(im, im.cacheDC, width, height);
  }
  BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, im.cacheDC, area.left,
         area.top, SRCCOPY);
}

}  // namespace zeb::win32
