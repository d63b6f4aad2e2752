/* The Susie plug-in interface's record, callback and result codes, as a plug-in sees them. */
#ifndef ZEB_TEST_SUSIE_TYPES_H
#define ZEB_TEST_SUSIE_TYPES_H

#include "plugins/common/susie_interface.h"

#endif
