/* An import plug-in ("00IN") without GetPicture. */
#define PLUGIN_INFO "00IN", "Import plug-in without GetPicture", "*.nop", "No picture"
#define PNM_NO_GET_PICTURE
#include "common/plugin_info.h"
#include "common/pnm_import.h"
