// The font of the viewer's dialogs (the Jump dialog and the List window).
#pragma once

#include "platform/ui/forms.h"

namespace zeb::app {

inline ui::TFont DialogFont() { return {"ＭＳ Ｐゴシック", 12, ui::TFontCharset::fcShiftJis}; }

}  // namespace zeb::app
