/* Our plug-ins' colour management: a decoded DIB converted from its picture's ICC profile to the
   display's (display_profile.c says why the plug-ins do it themselves). */
#ifndef ZEB_SPI_DISPLAY_PROFILE_H
#define ZEB_SPI_DISPLAY_PROFILE_H

#include <stddef.h>

#include "spi_plugin.h"

/* Converts Dib's pixels (24 or 32 bits) or colour table (8 bits) in place from the profile Icc; a
   profile that cannot be used for them (none, damaged, of another colour space) leaves them as they are. */
void SpiDibToDisplay(SpiDib* dib, const void* icc, size_t size);

#endif
