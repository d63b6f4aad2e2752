// The one way this layer includes the Windows headers. The macros that would rename the platform's
// own members (FileSystem::DeleteFile, FileSystem::ReplaceFile) are dropped; call the W functions.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#undef DeleteFile
#undef ReplaceFile
