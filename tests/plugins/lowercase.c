/* A working decoder that gives its API version in lower case ("00in"), which no class matches. */
#define PLUGIN_INFO "00in", "Lower-case version plug-in", "*.low", "Lower case"
#include "common/plugin_info.h"
#include "common/pnm_import.h"
