/* A library that decodes but cannot say what it is: it lacks GetPluginInfo. */
#include "common/pnm_import.h"
