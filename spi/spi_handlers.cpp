#include "spi/spi_handlers.h"

namespace zeb::spi {

void AcceptImportFiltersOnly(TSPI* aSPI, bool& accept) {
  accept = aSPI && aSPI->InheritsFrom(&TInSPI::Class);
}

void RefuseStarExtension(const std::string& extension, TGraphicClass& graphicClass) {
  if (extension == "*") graphicClass = nullptr;
}

}  // namespace zeb::spi
