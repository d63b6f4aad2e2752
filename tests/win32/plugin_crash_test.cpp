// Real plug-in DLLs that crash (tests/plugins/crasher.c, crashall.c): every way of crashing, in
// IsSupported and in GetPicture, ends only the call. The process goes on, a valid picture decodes
// afterwards, and the floating-point settings and arithmetic are the caller's again. A fault in our own
// code that a plug-in calls back is not taken for the plug-in's.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/services/call_guard.h"
#include "platform/services/file_system.h"
#include "spi/spi_graphic.h"
#include "spi/plugin_host.h"
#include "spi/spi_manager.h"
#include "tests/win32/common/temp_folder.h"
#include "tests/support/plugin_name.h"

namespace zeb::spi {
namespace {

std::string Plugin(const std::string& name) {
  return FolderPart(Files().ProgramFileName()) + "plugins\\" + test::BuildPluginName(name);
}

uint16_t ControlWord() {
  uint16_t cw;
  asm volatile("fnstcw %0" : "=m"(cw));
  return cw;
}

// The MXCSR's controls, without its sticky exception flags (which the test's own SSE arithmetic sets in
// a 64-bit build).
uint32_t Mxcsr() {
  uint32_t value;
  asm volatile("stmxcsr %0" : "=m"(value));
  return value & ~uint32_t{0x3F};
}

// How the child process of a death test ended.
constexpr UINT kViewerFaulted = 3, kPluginBlamed = 4, kNoFault = 5;

// The process's last handler: an access violation nobody handled is the viewer's crash.
LONG WINAPI ExitOnViewerFault(EXCEPTION_POINTERS* e) {
  ExitProcess(e->ExceptionRecord->ExceptionCode == kAccessViolation ? kViewerFaulted : kNoFault);
}

class PluginCrashTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(files.Make("zeb-plugin-crash")); }
  // A fresh manager holding crasher.spi and then ppm.spi.
  void NewManager() {
    spis.reset();
    spis = std::make_unique<PluginManager>();
    spis->MacBinary = false;
    spis->Add(CreatePluginModule(Plugin("crasher.spi")));
    spis->Add(CreatePluginModule(Plugin("ppm.spi")));
    ASSERT_EQ(spis->Count(), 2);
  }
  // Width of the picture at Path, or -1 when no plug-in read it.
  static int32_t Load(const std::string& path) {
    PluginImage g;
    try {
      g.LoadFromFile(path);
    } catch (const InvalidPicture&) {
      return -1;
    }
    return g.GetWidth();
  }

  test::TempFolder files;  // removed after the manager has let go of the plug-ins
  std::unique_ptr<PluginManager> spis;
};

TEST_F(PluginCrashTest, EveryKindOfCrashEndsOnlyTheCallAndAValidPictureStillDecodes) {
  struct Case {
    const char* kind;
    uint32_t code;  // 0: no crash, the plug-in returns with the FPU settings changed
  } cases[] = {{"nullwrite", kAccessViolation},
               {"wildread", kAccessViolation},
               {"divzero", kIntegerDivideByZero},
               {"illegal", kIllegalInstruction},
               {"recurse", kStackOverflow},
               {"throw", 0xE06D7363},
               {"fpu", 0}};
  const std::string good = files.File("good.ppm", "P6\n3 1\n255\n" + std::string(9, '\x40'));
  const uint16_t controlWord = ControlWord();
  const uint32_t mxcsr = Mxcsr();
  // Each stack overflow comes twice (once per export): the second is only caught if the first one's
  // guard page was restored.
  for (const char* where : {"IsSupported", "GetPicture"})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.kind) + " in " + where);
      NewManager();
      const std::string path = files.File(std::string(c.kind) + "_" + where + ".crash",
                                          std::string("ZEBCRASH ") + c.kind + " " + where + "\n");
      EXPECT_EQ(Load(path), -1);
      std::vector<PluginCrashReport> reports = spis->TakeCrashReports();
      if (c.code == 0) {
        EXPECT_TRUE(reports.empty());
      } else {
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].code, c.code) << std::hex << reports[0].code;
        EXPECT_EQ(reports[0].pictureFile, path);
        EXPECT_EQ(spis->Items(0)->CrashCount(), 1);
      }
      EXPECT_EQ(ControlWord(), controlWord);
      EXPECT_EQ(Mxcsr(), mxcsr);
      volatile double zero = 0.0, two = 2.0;
      EXPECT_TRUE(std::isinf(1.0 / zero)) << "a division by zero must not trap in the viewer";
      EXPECT_DOUBLE_EQ(std::sqrt(two) * std::sqrt(two), 2.0);
      EXPECT_EQ(Load(good), 3);
    }
}

// In the plug-in host, what no guard in the viewer's process could stop costs one picture each, told as
// the plug-in's crash; the host is started afresh and the next picture decodes.
TEST_F(PluginCrashTest, InTheHostEachMisbehaviourCostsOnePictureAndTheNextStillDecodes) {
  PluginHost host(FolderPart(Files().ProgramFileName()) + "..\\" + kPluginHostProgram);
  host.limits.call = std::chrono::milliseconds(1000);
  const struct {
    const char* kind;
    uint32_t code;
  } cases[] = {{"nullwrite", kAccessViolation},
               {"loop", kCallTimedOut},
               {"deadlock", kCallTimedOut},
               {"doublefree", kHeapCorruption},
               {"overrun", kHeapCorruption},
               {"thread", kAccessViolation},
               {"exit", kHostEnded}};
  const std::string good = files.File("good.ppm", "P6\n3 1\n255\n" + std::string(9, '\x40'));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    NewManager();
    const int starts = host.Starts();
    EXPECT_EQ(
        Load(files.File(std::string(c.kind) + ".crash", std::string("ZEBCRASH ") + c.kind + " GetPicture\n")),
        -1);
    std::vector<PluginCrashReport> reports = spis->TakeCrashReports();
    ASSERT_EQ(reports.size(), 1u);
    // Heap damage is found by the host's check of its heaps, or faults first inside the damaged heap.
    if (c.code == kHeapCorruption)
      EXPECT_TRUE(reports[0].code == kHeapCorruption || reports[0].code == kAccessViolation)
          << std::hex << reports[0].code;
    else
      EXPECT_EQ(reports[0].code, c.code) << std::hex << reports[0].code;
    EXPECT_EQ(Load(good), 3);
    EXPECT_EQ(host.Starts(), starts + 1);
  }
  spis.reset();
}

// A fault in the viewer's own code that a plug-in calls back (its progress handler) is the viewer's crash,
// not the plug-in's: the guard lets it pass to the process's unhandled-exception filter. Were it taken
// for ppm.spi's crash, the load would end with a crash report instead.
TEST_F(PluginCrashTest, AFaultInOurProgressHandlerIsTheViewersCrashNotThePlugins) {
  NewManager();
  const std::string picture = files.File("grey.ppm", "P6\n3 1\n255\n" + std::string(9, '\x40'));
  EXPECT_EXIT(
      {
        SetUnhandledExceptionFilter(ExitOnViewerFault);
        PluginImage g;
        // Only the reports from inside the plug-in's GetPicture are past 1%.
        g.OnProgress = [](Image*, ProgressStage stage, uint8_t percent, bool, const PixelRect&,
                          const std::string&) {
          if (stage == ProgressStage::Running && percent > 1) *static_cast<volatile int*>(nullptr) = 1;
        };
        try {
          g.LoadFromFile(picture);
        } catch (const std::exception&) {
        }
        ExitProcess(spis->TakeCrashReports().empty() ? kNoFault : kPluginBlamed);
      },
      ::testing::ExitedWithCode(kViewerFaulted), "");
}

TEST_F(PluginCrashTest, AModuleThatCrashesThreeTimesIsNoLongerAsked) {
  NewManager();
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Load(files.File(IntToStr(i) + ".crash", "ZEBCRASH nullwrite IsSupported\n")), -1);
  EXPECT_EQ(spis->Items(0)->CrashCount(), kCrashesBeforeRetiring);
  EXPECT_EQ(spis->TakeCrashReports().size(), 1u);
}

TEST_F(PluginCrashTest, APluginThatCrashesOnEveryCallIsNeverLoaded) {
  for (int i = 0; i < 3; ++i) {
    try {
      CreatePluginModule(Plugin("crashall.spi"));
      ADD_FAILURE() << "the crash was not reported";
    } catch (const PluginCrashed& crash) {
      EXPECT_EQ(crash.Code(), kAccessViolation);
      EXPECT_NE(crash.Message().find(test::BuildPluginName("crashall.spi") +
                                     " crashed in GetPluginInfo (access violation)"),
                std::string::npos)
          << crash.Message();
    }
  }
}

}  // namespace
}  // namespace zeb::spi
