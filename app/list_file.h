// List files (.zeb): one picture path per line. They are written in the system's ANSI code page;
// a list holding a name the code page cannot carry is written as UTF-8 with a byte-order mark
// instead, so no name is lost. Readers take either.
#pragma once

#include <string>
#include <vector>

namespace zeb::app {

// The lines of a list file: a line ends at CR, LF or CR LF, a NUL byte ends the text, and a line
// break at the very end makes no extra empty line. Raises FileOpenError when it cannot be opened.
std::vector<std::string> ReadListFile(const std::string& fileName);

// The bytes of a list file holding these entries, each ended by CR LF.
std::string ListFileText(const std::vector<std::string>& entries);

// Writes the entries to a temporary file beside FileName and puts it in FileName's place only when the
// whole write has succeeded; a failed write leaves FileName as it was. Raises FileCreateError or
// WriteError.
void WriteListFile(const std::string& fileName, const std::vector<std::string>& entries);

}  // namespace zeb::app
