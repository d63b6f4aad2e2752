#include "platform/services/write_through_temporary.h"

#include <cstdint>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/services/file_stream.h"
#include "platform/services/file_system.h"

namespace zeb {

void WriteFileThroughTemporary(const std::string& fileName, const std::function<void(Stream& file)>& write) {
  std::string temporary = fileName + ".~zeb";
  uint32_t attributes;
  for (int n = 1; Files().Attributes(temporary, attributes); ++n)
    temporary = fileName + ".~zeb" + IntToStr(n);
  const std::string cannotCreate = "Cannot create file \"" + fileName + "\".";
  try {
    FileStream file(temporary, FileMode::Create);
    write(file);
  } catch (const FileCreateError&) {
    // The user hears of the file, not of the name it was being written under.
    Files().DeleteFile(temporary);
    throw FileCreateError(cannotCreate);
  } catch (...) {
    Files().DeleteFile(temporary);
    throw;
  }
  if (!Files().ReplaceFile(temporary, fileName)) {
    Files().DeleteFile(temporary);
    throw FileCreateError(cannotCreate);
  }
}

}  // namespace zeb
