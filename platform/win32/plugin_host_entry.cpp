// The plug-in host program (zeb_spihost.exe): serves the viewer that started it over the pipe it was
// given as its standard input and output. A crash nothing in it catches (on a thread a plug-in made, or in
// a heap a plug-in damaged) ends the process at once with the exception's code, which the viewer reads:
// no crash dialog, no debugger.
#include "platform/services/helper_process.h"
#include "platform/win32/windows_api.h"

namespace {

LONG WINAPI EndWithTheException(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndWithTheException);
  std::unique_ptr<zeb::HelperPipe> pipe = zeb::PipeToViewer();
  return static_cast<int>(zeb::RunHelperProgram(*pipe));
}
