/* Pictures as cameras and phones store them: the Exif orientation, and the upright picture made from
   the stored one. Portable C, used by the viewer's JPEG reader and by our own plug-ins. */
#ifndef ZEB_PHOTO_ORIENTATION_H
#define ZEB_PHOTO_ORIENTATION_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The Exif Orientation (1 to 8) of an Exif block, with or without the "Exif\0\0" header that JPEG's
   APP1 carries (PNG's eXIf and WebP's EXIF chunks mostly hold the TIFF structure alone); 1 when the
   block has none or cannot be read. */
int zeb_exif_orientation(const unsigned char* exif, size_t size);

/* Whether a picture stored with this orientation is upright with its width and height exchanged
   (orientations 5 to 8). */
int zeb_orientation_swaps_sides(int orientation);

/* How a picture stored with Orientation is made upright, as the viewer's view turns pictures: mirrored
   left to right first (Mirrored), then turned clockwise by QuarterTurns. An unknown one is left as it is. */
void zeb_orientation_turn(int orientation, int* quarter_turns, int* mirrored);

/* Writes the upright picture of a Width x Height picture stored with Orientation into To: Width x
   Height, or Height x Width for orientations 5 to 8. Rows are addressed by their first byte and a
   stride, top row first (a bottom-up DIB passes its last row in memory and a negative stride); a pixel
   is Bytes_per_pixel bytes (1 to 4). To must not overlap From. Returns 0, or -1 for arguments it
   cannot take (To is then untouched). */
int zeb_orient_pixels(const unsigned char* from, ptrdiff_t from_stride, int width, int height,
                      int bytes_per_pixel, int orientation, unsigned char* to, ptrdiff_t to_stride);

#ifdef __cplusplus
}
#endif

#endif
