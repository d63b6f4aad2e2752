#include "spi_orientation.h"

#include <string.h>

static void SpiDibFree(SpiDib* dib) {
  if (dib->info) LocalUnlock(dib->hInfo);
  if (dib->bits) LocalUnlock(dib->hBits);
  if (dib->hInfo) LocalFree(dib->hInfo);
  if (dib->hBits) LocalFree(dib->hBits);
  memset(dib, 0, sizeof *dib);
}

int SpiDibOrient(SpiDib* dib, int orientation) {
  if (orientation < 2 || orientation > 8 || dib->bits == NULL) return SPI_ALL_RIGHT;
  int32_t width = dib->width, height = dib->height;
  SpiOrientSize(orientation, &width, &height);
  SpiDib upright;
  int result = SpiDibCreate(&upright, width, height, dib->bitCount);
  if (result != SPI_ALL_RIGHT) {
    SpiDibFree(&upright);
    return result;
  }
  if (dib->bitCount == 8) memcpy(upright.info->bmiColors, dib->info->bmiColors, 256 * sizeof(RGBQUAD));
  /* Both DIBs are bottom-up: their top rows are their last, and a row down is a stride back. */
  zeb_orient_pixels(SpiDibRow(dib, 0), -(ptrdiff_t)dib->stride, dib->width, dib->height, dib->bitCount / 8,
                    orientation, SpiDibRow(&upright, 0), -(ptrdiff_t)upright.stride);
  SpiDibFree(dib);
  *dib = upright;
  return SPI_ALL_RIGHT;
}
