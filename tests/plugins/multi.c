/* An import plug-in with several patterns in one filter entry. */
#define PLUGIN_INFO "00IN", "Multi-pattern plug-in", "*.pic;*.mag;*.pi", "PIC/MAG/PI"
#include "common/plugin_info.h"
#include "common/pnm_import.h"
