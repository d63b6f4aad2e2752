// Writing a file so that a write that fails part-way never leaves a cut-off file behind.
#pragma once

#include <functional>
#include <string>

#include "platform/core/streams.h"

namespace zeb {

// Write puts the file's bytes into a stream over a temporary file beside FileName, named so that no
// file of the user's is overwritten or removed (FileName + ".~zeb", ".~zeb1", ...); only when all of
// it succeeded does the temporary take FileName's place, in one step. On any failure the temporary is
// deleted and FileName stays as it was. A file that cannot be made, or put in place, raises
// FileCreateError naming FileName (never the temporary); Write's own errors pass unchanged.
void WriteFileThroughTemporary(const std::string& fileName, const std::function<void(Stream& file)>& write);

}  // namespace zeb
