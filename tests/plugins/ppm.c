/* A working import plug-in: binary PPM and PGM. */
#define PLUGIN_INFO "00IN", "PPM/PGM test plug-in", "*.ppm;*.pnm", "PPM/PGM", "*.pgm", "PGM"
#include "common/plugin_info.h"
#include "common/pnm_import.h"
