/* An import plug-in that answers info 2 (a filter) but not info 3 (its description). */
#define PLUGIN_INFO "00IN", "Info 2 only plug-in", "*.i2"
#include "common/plugin_info.h"
#include "common/pnm_import.h"
