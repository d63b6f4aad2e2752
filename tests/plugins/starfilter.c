/* An import plug-in whose filter is "*.*" (every file). */
#define PLUGIN_INFO "00IN", "Star filter plug-in", "*.*;*.sf", "All files", "*.str", "Star"
#include "common/plugin_info.h"
#include "common/pnm_import.h"
