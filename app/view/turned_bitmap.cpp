#include "app/view/turned_bitmap.h"

#include <cstring>

#include "platform/graphics/raster_canvas.h"

namespace zeb::app::view {

std::unique_ptr<Bitmap> TurnedBitmap(Bitmap& bitmap, PictureTurn turn) {
  const int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
  const PixelRect area = TurnedRect(Rect(0, 0, width, height), turn);
  RasterCanvas canvas(area.Width(), area.Height());
  canvas.Turn = turn;
  bitmap.Draw(canvas, Rect(0, 0, width, height));
  auto turned = std::make_unique<Bitmap>();
  turned->SetSize(area.Width(), area.Height(), 24);
  for (int32_t y = 0; y < area.Height(); ++y) {
    const uint8_t* from = canvas.Row(y);
    uint8_t* to = turned->ScanLine(y);
    for (int32_t x = 0; x < area.Width(); ++x) std::memcpy(to + 3 * x, from + 4 * x, 3);
  }
  return turned;
}

}  // namespace zeb::app::view
