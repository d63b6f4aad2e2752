/* A plug-in of the third kind ("00XN"): only GetPluginInfo. */
#define PLUGIN_INFO "00XN", "XN test plug-in", "*.xn", "XN"
#include "common/plugin_info.h"
