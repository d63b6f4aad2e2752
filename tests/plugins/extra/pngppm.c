/* A user's import plug-in that names *.png, as our own png.spi does: it reads PPM and PGM data, so a
   file named .png that holds PNM is its, and a real PNG is left to png.spi. Kept out of the folder of
   test plug-ins, which tests list whole. */
#define PLUGIN_INFO "00IN", "PNM-named-PNG test plug-in", "*.png", "PNM stored as .png"
#include "../common/plugin_info.h"
#include "../common/pnm_import.h"
