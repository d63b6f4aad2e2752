#include "spi/spi_handlers.h"

namespace zeb::spi {

void AcceptImportFiltersOnly(PluginModule* aSPI, bool& accept) {
  accept = aSPI && aSPI->InheritsFrom(&ImportModule::Class);
}

void RefuseStarExtension(const std::string& extension, ImageClass& graphicClass) {
  if (extension == "*") graphicClass = nullptr;
}

}  // namespace zeb::spi
