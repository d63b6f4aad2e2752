/* Our plug-ins hand over upright pictures: a picture stored with an Exif or TIFF orientation other than
   1 is turned as it says once decoded, and its picture information gives the upright size. */
#ifndef ZEB_SPI_ORIENTATION_H
#define ZEB_SPI_ORIENTATION_H

#include "photo/orientation.h"
#include "spi_plugin.h"

/* Width and height as the upright picture has them. */
static inline void SpiOrientSize(int orientation, int32_t* width, int32_t* height) {
  if (!zeb_orientation_swaps_sides(orientation)) return;
  const int32_t w = *width;
  *width = *height;
  *height = w;
}

/* Replaces the decoded DIB by its upright picture (orientations 2 to 8; 1 and unknown ones leave it);
   a result code. Without memory for the upright copy the DIB is left for the caller to free. */
int SpiDibOrient(SpiDib* dib, int orientation);

#endif
