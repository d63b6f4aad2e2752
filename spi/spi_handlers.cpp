#include "spi/spi_handlers.h"

namespace zeb::spi {

void AcceptImportFiltersOnly(PluginModule* aSPI, bool& accept) {
  accept = dynamic_cast<ImportModule*>(aSPI) != nullptr;
}

void RefuseStarExtension(const std::string& extension, const ImageFormat*& format) {
  if (extension == "*") format = nullptr;
}

}  // namespace zeb::spi
