// The system's ANSI code page: the byte encoding of list files and of the texts and file names that
// Susie plug-ins exchange. On Win32 it is CP_ACP; headless it is UTF-8 itself.
#pragma once

#include <string>

namespace zeb {

// UTF-8 to ANSI. Lossless is set false when some character has no ANSI form (it is then replaced).
std::string ToAnsi(const std::string& utf8, bool* lossless = nullptr);
std::string FromAnsi(const std::string& ansi);

}  // namespace zeb
