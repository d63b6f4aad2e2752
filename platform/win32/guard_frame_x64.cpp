// The guard frame of x86-64 Windows. Exception handling there is table-based: the dispatcher walks the
// stack by the unwind tables of the code on it and calls the handler each function's table names, the
// plug-in's own first. zeb_guard_enter is such a function, written here with its unwind table and
// zeb_guard_handler as its handler, and calls the body. An exception that the plug-in does not handle
// reaches the handler, which sets the thread's context to zeb_guard_resume with the stack pointer of
// zeb_guard_enter's frame: its epilogue restores the registers the caller keeps (the ones pushed by its
// prologue, the XMM ones from its frame) and returns 1. The plug-in's frames are abandoned without
// unwinding, as in the 32-bit guard; nothing is registered anywhere, so there is nothing to unlink.
//
// Why not a vectored handler: it would see every exception before the plug-in's own handlers, including
// those a plug-in raises and handles itself (a probe of memory under __try, or a C++ exception, which
// x86-64 raises as an exception of the system), and end calls that would have gone on. The walk needs the
// plug-in's frames to carry unwind tables, which the x86-64 calling convention requires of every function
// that calls another; a plug-in that breaks its own stack so far that it cannot be walked is beyond this
// guard, as one that breaks the 32-bit exception chain is beyond the other.
#if defined(__x86_64__)
#include <cstdint>

#include "platform/services/call_guard.h"
#include "platform/win32/guard_frame.h"
#include "platform/win32/windows_api.h"

namespace {

// zeb_guard_enter's frame, from its stack pointer after the prologue (the handler's establisher frame):
// the callee's 32-byte home area, XMM6 to XMM15, then where the code of the exception goes.
constexpr size_t kCodeSlot = 32 + 10 * 16;

}  // namespace

extern "C" {
// Returns 0 when Body returned, 1 when the handler resumed after an exception (its code then in *Code).
int zeb_guard_enter(uint32_t* code, void (*body)(void*), void* context);
[[noreturn]] void zeb_guard_jump(void* establisher);
extern char zeb_guard_resume[];

EXCEPTION_DISPOSITION zeb_guard_handler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context,
                                        void*) {
  // Called again while an unwind passes (a C++ exception of a host callback that is caught above the
  // guard): the unwind goes through by the table, nothing to do here.
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  // A fault in the viewer's own code that the plug-in called back is not the plug-in's crash.
  if (!zeb::GuardTakesFault()) return ExceptionContinueSearch;
  auto* frame = static_cast<char*>(establisher);
  **reinterpret_cast<uint32_t**>(frame + kCodeSlot) = record->ExceptionCode;
  // An exception that cannot be continued would only raise another if the handler asked to continue:
  // the handler leaves for the resume point itself, abandoning the dispatcher's frames with the plug-in's.
  if (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) zeb_guard_jump(establisher);
  context->Rsp = reinterpret_cast<DWORD64>(establisher);
  context->Rip = reinterpret_cast<DWORD64>(zeb_guard_resume);
  context->EFlags &= ~DWORD{0x400};  // the direction flag, which a plug-in may have left set
  return ExceptionContinueExecution;
}
}

// zeb_guard_enter(code, body, context): the prologue pushes the general registers the caller keeps and
// saves XMM6 to XMM15, each step described for the unwind table; the frame is 16-byte aligned.
asm(R"(
  .text
  .globl zeb_guard_enter
  .globl zeb_guard_resume
  .globl zeb_guard_jump
  .def zeb_guard_enter; .scl 2; .type 32; .endef
  .seh_proc zeb_guard_enter
zeb_guard_enter:
  pushq %rbp
  .seh_pushreg %rbp
  pushq %rbx
  .seh_pushreg %rbx
  pushq %rsi
  .seh_pushreg %rsi
  pushq %rdi
  .seh_pushreg %rdi
  pushq %r12
  .seh_pushreg %r12
  pushq %r13
  .seh_pushreg %r13
  pushq %r14
  .seh_pushreg %r14
  pushq %r15
  .seh_pushreg %r15
  subq $200, %rsp
  .seh_stackalloc 200
  movaps %xmm6, 32(%rsp)
  .seh_savexmm %xmm6, 32
  movaps %xmm7, 48(%rsp)
  .seh_savexmm %xmm7, 48
  movaps %xmm8, 64(%rsp)
  .seh_savexmm %xmm8, 64
  movaps %xmm9, 80(%rsp)
  .seh_savexmm %xmm9, 80
  movaps %xmm10, 96(%rsp)
  .seh_savexmm %xmm10, 96
  movaps %xmm11, 112(%rsp)
  .seh_savexmm %xmm11, 112
  movaps %xmm12, 128(%rsp)
  .seh_savexmm %xmm12, 128
  movaps %xmm13, 144(%rsp)
  .seh_savexmm %xmm13, 144
  movaps %xmm14, 160(%rsp)
  .seh_savexmm %xmm14, 160
  movaps %xmm15, 176(%rsp)
  .seh_savexmm %xmm15, 176
  .seh_endprologue
  .seh_handler zeb_guard_handler, @except
  movq %rcx, 192(%rsp)
  movq %r8, %rcx
  callq *%rdx
  xorl %eax, %eax
  jmp 1f
zeb_guard_resume:
  movl $1, %eax
1:
  movaps 32(%rsp), %xmm6
  movaps 48(%rsp), %xmm7
  movaps 64(%rsp), %xmm8
  movaps 80(%rsp), %xmm9
  movaps 96(%rsp), %xmm10
  movaps 112(%rsp), %xmm11
  movaps 128(%rsp), %xmm12
  movaps 144(%rsp), %xmm13
  movaps 160(%rsp), %xmm14
  movaps 176(%rsp), %xmm15
  addq $200, %rsp
  popq %r15
  popq %r14
  popq %r13
  popq %r12
  popq %rdi
  popq %rsi
  popq %rbx
  popq %rbp
  ret
  .seh_endproc

zeb_guard_jump:
  movq %rcx, %rsp
  cld
  jmp zeb_guard_resume
)");

namespace zeb {

uint32_t RunInGuardFrame(void (*body)(void* context), void* context) {
  // The thread's chain of exception records, which x86-64 Windows leaves alone but Wine's dispatcher
  // uses: records it linked in the frames the guard abandoned are dropped with them.
  // (It is the thread information block's first field, at %gs:0.)
  void* chain;
  asm volatile("movq %%gs:0, %0" : "=r"(chain));
  uint32_t code = 0;
  if (!zeb_guard_enter(&code, body, context)) return 0;
  asm volatile("movq %0, %%gs:0" : : "r"(chain) : "memory");
  return code != 0 ? code : kAccessViolation;
}

}  // namespace zeb

#endif
