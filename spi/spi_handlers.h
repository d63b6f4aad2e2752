// The main window's handlers for its plug-in manager's events: only import filters are kept, and the
// extension "*" (from a filter "*.*") is never registered.
#pragma once

#include <string>

#include "platform/graphics/graphic.h"
#include "spi/spi_module.h"

namespace zeb::spi {

// OnSearch: Accept becomes whether the module is an import filter (ImportModule or a subclass).
void AcceptImportFiltersOnly(PluginModule* aSPI, bool& accept);
// OnPictureRegister: the extension "*" gets no picture format, so nothing is registered for it.
void RefuseStarExtension(const std::string& extension, const ImageFormat*& format);

}  // namespace zeb::spi
