// The guard frame of 32-bit Windows. GCC has no __try, so the guard is a frame-based handler of its own:
// zeb_guard_enter saves the registers the caller keeps, links a registration record on the exception chain
// (so the plug-in's own handlers still come first, and the process's unhandled-exception filter, with Wine's
// crash dialog, never sees what the guard catches), and calls the body. An exception that reaches the record
// sets the thread's context back to the saved registers at zeb_guard_resume, which unlinks the record and
// returns 1: the plug-in's frames are abandoned without unwinding.
#if defined(__i386__)
#include <cstdint>

#include "platform/services/call_guard.h"
#include "platform/win32/guard_frame.h"
#include "platform/win32/windows_api.h"

namespace {

// The record and what the resume needs, on the caller's stack. The assembly below knows this layout.
struct GuardFrame {
  void* next;     // 0: the previous record on the exception chain
  void* handler;  // 4
  uint32_t esp;   // 8: the registers at entry, restored on resume
  uint32_t ebp;   // 12
  uint32_t ebx;   // 16
  uint32_t esi;   // 20
  uint32_t edi;   // 24
  uint32_t code;  // 28: the exception that ended the call
};

}  // namespace

extern "C" {
int zeb_guard_enter(GuardFrame* frame, void (*body)(void*), void* context);
[[noreturn]] void zeb_guard_jump(GuardFrame* frame);
extern char zeb_guard_resume[];

EXCEPTION_DISPOSITION zeb_guard_handler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context,
                                        void*) {
  // Called again while an unwind passes: nothing to do then.
  constexpr DWORD kUnwinding = 0x2 | 0x4;
  if (record->ExceptionFlags & kUnwinding) return ExceptionContinueSearch;
  // A fault in the viewer's own code that the plug-in called back is not the plug-in's crash: it goes on
  // to whatever handles the viewer's faults, and none of our frames are abandoned.
  if (!zeb::GuardTakesFault()) return ExceptionContinueSearch;
  auto* frame = static_cast<GuardFrame*>(establisher);
  frame->code = record->ExceptionCode;
  // An exception raised as one that cannot be continued (an uncaught C++ exception, say) would only
  // raise another if the handler asked to continue: the handler leaves for the resume point itself,
  // abandoning the dispatcher's frames with the plug-in's.
  if (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) zeb_guard_jump(frame);
  context->Esp = frame->esp;
  context->Ebp = frame->ebp;
  context->Ebx = frame->ebx;
  context->Esi = frame->esi;
  context->Edi = frame->edi;
  context->Eip = reinterpret_cast<DWORD>(zeb_guard_resume);
  context->EFlags &= ~DWORD{0x400};  // the direction flag, which a plug-in may have left set
  return ExceptionContinueExecution;
}
}

// int zeb_guard_enter(GuardFrame* frame, void (*body)(void*), void* context): 0 when Body returned, 1 when
// the handler resumed here after an exception. zeb_guard_jump(frame) goes to the resume point with the
// saved registers from wherever it is called.
asm(R"(
  .text
  .globl _zeb_guard_enter
  .globl _zeb_guard_resume
_zeb_guard_enter:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  movl 8(%ebp), %eax
  movl %esp, 8(%eax)
  movl %ebp, 12(%eax)
  movl %ebx, 16(%eax)
  movl %esi, 20(%eax)
  movl %edi, 24(%eax)
  movl %fs:0, %ecx
  movl %ecx, 0(%eax)
  movl $_zeb_guard_handler, 4(%eax)
  movl %eax, %fs:0
  pushl 16(%ebp)
  call *12(%ebp)
  leal -12(%ebp), %esp
  movl 8(%ebp), %eax
  movl 0(%eax), %ecx
  movl %ecx, %fs:0
  xorl %eax, %eax
  jmp 1f
_zeb_guard_resume:
  movl 8(%ebp), %eax
  movl 0(%eax), %ecx
  movl %ecx, %fs:0
  movl $1, %eax
1:
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
  .globl _zeb_guard_jump
_zeb_guard_jump:
  movl 4(%esp), %eax
  movl 16(%eax), %ebx
  movl 20(%eax), %esi
  movl 24(%eax), %edi
  movl 12(%eax), %ebp
  movl 8(%eax), %esp
  cld
  jmp _zeb_guard_resume
)");

namespace zeb {

uint32_t RunInGuardFrame(void (*body)(void* context), void* context) {
  GuardFrame frame{};
  if (!zeb_guard_enter(&frame, body, context)) return 0;
  return frame.code != 0 ? frame.code : kAccessViolation;
}

}  // namespace zeb

#endif
