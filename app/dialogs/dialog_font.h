// The font of the viewer's dialogs (the Jump dialog, the List window and the key help): the system's
// message font, so that Japanese, Latin and other names all render.
#pragma once

#include "platform/ui/forms.h"

namespace zeb::app {

inline ui::TFont DialogFont() { return ui::SystemMessageFont(); }

}  // namespace zeb::app
