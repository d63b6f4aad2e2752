// Painting a form: its picture controls are drawn once into a memory bitmap the size of the client
// area, and every repaint copies from it, so that exposing or moving the window costs no redraw of a
// large picture. Anything that changes the picture, its rectangle or its stretching invalidates the
// form, which drops the rendering.
#include "platform/win32/gdi_canvas.h"
#include "platform/win32/window_layer.h"

namespace zeb::win32 {

void ReleasePaintCache(ui::TForm::Impl& im) {
  if (im.cacheDC) {
    SelectObject(im.cacheDC, im.cacheOldBitmap);
    DeleteDC(im.cacheDC);
  }
  if (im.cacheBitmap) DeleteObject(im.cacheBitmap);
  im.cacheDC = nullptr;
  im.cacheBitmap = nullptr;
  im.cacheOldBitmap = nullptr;
  im.cacheWidth = im.cacheHeight = 0;
  im.cacheValid = false;
}

static bool MakeCache(ui::TForm::Impl& im, HDC dc, int width, int height) {
  if (im.cacheDC && im.cacheWidth == width && im.cacheHeight == height) return true;
  ReleasePaintCache(im);
  im.cacheDC = CreateCompatibleDC(dc);
  im.cacheBitmap = CreateCompatibleBitmap(dc, width, height);
  if (!im.cacheDC || !im.cacheBitmap) {
    ReleasePaintCache(im);
    return false;
  }
  im.cacheOldBitmap = SelectObject(im.cacheDC, im.cacheBitmap);
  im.cacheWidth = width;
  im.cacheHeight = height;
  return true;
}

// Draws the visible picture controls (each paints the whole client area, black around its picture).
static void Render(ui::TForm::Impl& im, HDC dc, int width, int height) {
  GdiCanvas canvas(dc);
  ++im.cacheRenders;
  for (ui::TImage* image : im.form->Images())
    if (image->Visible()) ui::Application().Guard([&] { image->Paint(canvas, width, height); });
}

void PaintForm(ui::TForm::Impl& im, HDC dc, const RECT& area) {
  RECT client;
  GetClientRect(im.hwnd, &client);
  int width = client.right, height = client.bottom;
  bool pictures = false;
  for (ui::TImage* image : im.form->Images()) pictures = pictures || image->Visible();
  if (!pictures || width <= 0 || height <= 0) {
    FillRect(dc, &area, im.background);
    return;
  }
  if (!MakeCache(im, dc, width, height)) {
    // No memory for the rendering: draw straight into the window.
    Render(im, dc, width, height);
    return;
  }
  if (!im.cacheValid) {
    im.cacheValid = true;  // before drawing: a handler that invalidates again makes the next paint redraw
    Render(im, im.cacheDC, width, height);
  }
  BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, im.cacheDC, area.left, area.top,
         SRCCOPY);
}

}  // namespace zeb::win32
