#include "photo/orientation.h"

#include <libexif/exif-data.h>
#include <stdlib.h>
#include <string.h>

static const unsigned char kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

int zeb_exif_orientation(const unsigned char* exif, size_t size) {
  /* An Exif block never reaches 64 KB in a JPEG; anything far larger is not one worth reading. */
  if (exif == NULL || size < 8 || size > (1u << 20)) return 1;
  /* libexif reads a block that begins with the header, so the bare TIFF structure is given one. */
  unsigned char* owned = NULL;
  if (memcmp(exif, kExifHeader, sizeof kExifHeader) != 0) {
    owned = (unsigned char*)malloc(size + sizeof kExifHeader);
    if (owned == NULL) return 1;
    memcpy(owned, kExifHeader, sizeof kExifHeader);
    memcpy(owned + sizeof kExifHeader, exif, size);
    exif = owned;
    size += sizeof kExifHeader;
  }
  int orientation = 1;
  ExifData* data = exif_data_new();
  if (data != NULL) {
    /* Read as stored: nothing added or mended. */
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data, exif, (unsigned int)size);
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry != NULL && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->size >= 2 &&
        entry->data != NULL) {
      const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
      if (value >= 1 && value <= 8) orientation = value;
    }
    exif_data_unref(data);
  }
  free(owned);
  return orientation;
}

int zeb_orientation_swaps_sides(int orientation) { return orientation >= 5 && orientation <= 8; }

void zeb_orientation_turn(int orientation, int* quarter_turns, int* mirrored) {
  /* Orientations 1 to 8: the quarter turns clockwise after a mirror, and the mirror. */
  static const unsigned char kTurns[9] = {0, 0, 0, 2, 2, 3, 1, 1, 3};
  static const unsigned char kMirrored[9] = {0, 0, 1, 0, 1, 1, 0, 1, 0};
  if (orientation < 1 || orientation > 8) orientation = 1;
  *quarter_turns = kTurns[orientation];
  *mirrored = kMirrored[orientation];
}

/* Copies Count pixels of Size bytes to Out, taking them Across bytes apart from In (a constant size for
   the usual 3 and 4 bytes lets the compiler move each pixel in one go). */
static void CopyRun(unsigned char* out, const unsigned char* in, int count, ptrdiff_t across, int size) {
  switch (size) {
    case 3:
      for (int x = 0; x < count; ++x, in += across, out += 3) memcpy(out, in, 3);
      break;
    case 4:
      for (int x = 0; x < count; ++x, in += across, out += 4) memcpy(out, in, 4);
      break;
    default:
      for (int x = 0; x < count; ++x, in += across, out += size) memcpy(out, in, (size_t)size);
  }
}

int zeb_orient_pixels(const unsigned char* from, ptrdiff_t from_stride, int width, int height,
                      int bytes_per_pixel, int orientation, unsigned char* to, ptrdiff_t to_stride) {
  if (from == NULL || to == NULL || width <= 0 || height <= 0 || bytes_per_pixel < 1 || bytes_per_pixel > 4 ||
      orientation < 1 || orientation > 8)
    return -1;
  /* The upright pixel (X, Y) is the stored one at Start + X * Across + Y * Down: for orientations 5 to 8
     an upright row runs down a stored column. The first upright pixel is a stored corner: on the right
     for 2, 3, 7 and 8, at the bottom for 3, 4, 6 and 7. */
  const int swaps = zeb_orientation_swaps_sides(orientation);
  const int right = orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
  const int bottom = orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
  const ptrdiff_t pixel = bytes_per_pixel;
  const ptrdiff_t column = right ? -pixel : pixel, row = bottom ? -from_stride : from_stride;
  const ptrdiff_t across = swaps ? row : column, down = swaps ? column : row;
  const unsigned char* start = from + (right ? (ptrdiff_t)(width - 1) * pixel : 0) +
                               (bottom ? (ptrdiff_t)(height - 1) * from_stride : 0);
  const int outWidth = swaps ? height : width, outHeight = swaps ? width : height;
  /* Walking down stored columns, the upright picture is made in squares, so the stored rows a square
     reads stay in the cache while it is made. */
  const int block = swaps ? 64 : outWidth;
  for (int top = 0; top < outHeight; top += block)
    for (int left = 0; left < outWidth; left += block) {
      const int rows = outHeight - top < block ? outHeight - top : block;
      const int count = outWidth - left < block ? outWidth - left : block;
      for (int y = top; y < top + rows; ++y) {
        const unsigned char* in = start + (ptrdiff_t)y * down + (ptrdiff_t)left * across;
        unsigned char* out = to + (ptrdiff_t)y * to_stride + (ptrdiff_t)left * pixel;
        if (!swaps && across == pixel)
          memcpy(out, in, (size_t)count * (size_t)pixel);
        else
          CopyRun(out, in, count, across, bytes_per_pixel);
      }
    }
  return 0;
}
