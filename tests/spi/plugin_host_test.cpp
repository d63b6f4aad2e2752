// Plug-ins run in the plug-in host (on the headless platform, the host's code on a thread of its own over
// pipes in memory): a hosted module reads pictures as one in process does, its progress reaches the
// viewer and a stop asked there is kept; a call that crashes, damages the heap or hangs costs its picture
// as the plug-in's crash and the next call starts a fresh host; the viewer can abandon a wait; and a reply
// cut short is never read past its end.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/core/streams.h"
#include "platform/headless/headless.h"
#include "platform/services/call_guard.h"
#include "spi/host_protocol.h"
#include "spi/host_server.h"
#include "spi/plugin_host.h"
#include "spi/spi_graphic.h"
#include "tests/spi/plugin_memory_fixture.h"
#include "tests/support/fake_plugins_pictures.h"

namespace zeb::spi {
namespace {

constexpr const char* kPicture = "C:\\pics\\x.pic";

class PluginHostTest : public testing_support::PluginMemoryTest {
 protected:
  void SetUp() override {
    PluginMemoryTest::SetUp();
    headless::RegisterHelper(kPluginHostProgram, [](HelperPipe& pipe) { return ServePluginHost(pipe); });
    headless::DefaultFiles().AddFile(kPicture, "picture");
    spis->MacBinary = false;
    host = std::make_unique<PluginHost>(std::string("C:\\zeb\\") + kPluginHostProgram);
    host->limits.call = std::chrono::milliseconds(300);
  }
  void TearDown() override {
    host.reset();
    PluginMemoryTest::TearDown();
  }
  // A hosted module that takes every file and returns a 5 x 3 picture unless GetPicture is set; one
  // that names the extension ".pic" is asked before those that do not.
  PluginModule& Hosted(const std::string& name, test::FakePictureFn getPicture = nullptr,
                       const std::string& filter = "*.pic",
                       std::function<int(const std::string&, const uint8_t*)> isSupported = nullptr) {
    test::FakePluginRecipe recipe{.filters = {{filter, "Pictures"}}, .magic = ""};
    recipe.isSupported = isSupported ? isSupported : [](const std::string&, const uint8_t*) { return 1; };
    recipe.picture = {.width = 5, .height = 3, .bits = "ZEB pixels: 3 rows of 16 bytes each, bottom-up.."};
    recipe.getPicture = std::move(getPicture);
    test::InstallFakePlugin("C:\\zeb\\" + name, recipe);
    spis->Add(CreatePluginModule("C:\\zeb\\" + name));
    return *spis->Items(spis->Count() - 1);
  }
  // The width read, or -1 when no plug-in read the picture.
  int32_t Load(PluginImage& g) {
    try {
      g.LoadFromFile(kPicture);
    } catch (const InvalidPicture&) {
      return -1;
    }
    return g.GetWidth();
  }

  std::unique_ptr<PluginHost> host;
};

TEST_F(PluginHostTest, AHostedModuleReadsFilesAndMemoryAsInProcessAndForwardsProgress) {
  const PluginModule& module = Hosted("a.spi");
  EXPECT_NE(dynamic_cast<const ImportModule*>(&module), nullptr);
  EXPECT_EQ(module.Filters(), std::vector<std::string>{"*.pic"});
  EXPECT_EQ(module.Descriptions(), std::vector<std::string>{"Pictures"});
  PluginImage fromFile;
  test::ProgressLog log;
  fromFile.OnProgress = log.Listener();
  EXPECT_EQ(Load(fromFile), 5);
  EXPECT_EQ(fromFile.GetHeight(), 3);
  // Of the plug-in's reports of 0 and 1 of 1, made at once, the first is told and the second is not:
  // the host tells progress at most every 25 ms.
  std::vector<int> pluginPercents;
  for (const auto& r : log.reports)
    if (r.percent >= 2 && r.stage == ProgressStage::Running) pluginPercents.push_back(r.percent);
  EXPECT_EQ(pluginPercents, (std::vector<int>{2}));
  // From memory, with the pixels held where the host put them rather than copied out.
  host->largestCopied = 0;
  MemoryStream bytes;
  bytes.WriteBuffer("picture", 7);
  PluginImage fromMemory;
  fromMemory.LoadFromStreamWithName(bytes, kPicture);
  EXPECT_EQ(fromMemory.GetWidth(), 5);
  MemoryStream copied, shared;
  fromFile.SaveToStream(copied);
  fromMemory.SaveToStream(shared);
  EXPECT_EQ(shared.Size(), copied.Size());
  EXPECT_EQ(std::memcmp(shared.Memory(), copied.Memory(), static_cast<size_t>(copied.Size())), 0);
  EXPECT_EQ(host->Starts(), 1);
}

TEST_F(PluginHostTest, PixelsUsedInPlaceAreNotOverwrittenByTheNextPicture) {
  host->largestCopied = 0;
  char shade = 'a';
  Hosted("a.spi", [&shade](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                           ProgressCallback, intptr_t) {
    return test::ReturnPicture({.width = 5, .height = 3, .bits = std::string(48, shade++)}, hInfo, hBits);
  });
  PluginImage first, second;
  ASSERT_EQ(Load(first), 5);
  ASSERT_EQ(Load(second), 5);
  EXPECT_EQ(first.Source()->LockBits()[47], 'a');
  EXPECT_EQ(second.Source()->LockBits()[47], 'b');
}

TEST_F(PluginHostTest, AStopAskedByTheListenerEndsTheReadEvenWhenThePluginFinishedFirst) {
  Hosted("a.spi");
  PluginImage g;
  int reports = 0;
  g.OnProgress = [&](Image*, ProgressStage stage, uint8_t percent, bool, const PixelRect&,
                     const std::string&) {
    if (stage == ProgressStage::Running && percent >= 2 && ++reports) throw SilentAbort("stop");
  };
  EXPECT_EQ(Load(g), -1);
  EXPECT_EQ(reports, 1);
  EXPECT_TRUE(spis->TakeCrashReports().empty());
}

TEST_F(PluginHostTest, ACrashADamagedHeapOrAHangCostsThePictureAndTheNextCallHasAFreshHost) {
  const struct {
    const char* name;
    uint32_t code;
    std::function<void()> misbehave;
    bool inIsSupported = false;  // else in GetPicture
  } cases[] = {
      {"crash", kIntegerDivideByZero, [] { headless::SimulateCrash(kIntegerDivideByZero); }},
      {"heap", kHeapCorruption, [] { headless::DamageHeaps(); }},
      {"hang", kCallTimedOut,
       [] {
         while (!headless::HelperKilled()) std::this_thread::yield();
       }},
      {"hang-header", kCallTimedOut,
       [] {
         while (!headless::HelperKilled()) std::this_thread::yield();
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    spis->Clear();
    auto misbehave = [&](auto...) {
      c.misbehave();
      return 2;
    };
    const PluginModule& bad = c.inIsSupported
                                  ? Hosted(std::string(c.name) + ".spi", nullptr, "*.pic", misbehave)
                                  : Hosted(std::string(c.name) + ".spi", misbehave);
    Hosted("good.spi", nullptr, "*.other");
    const int starts = host->Starts();
    PluginImage g;
    EXPECT_EQ(Load(g), 5);  // by good.spi, after bad.spi failed
    EXPECT_EQ(bad.CrashCount(), 1);
    const std::vector<PluginCrashReport> reports = spis->TakeCrashReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].code, c.code);
    EXPECT_EQ(host->Starts(), starts + 1);
  }
}

TEST_F(PluginHostTest, AnAbandonedWaitEndsAtOnceWithoutBlamingThePlugin) {
  host->limits.call = std::chrono::minutes(1);
  int pumps = 0;
  host->Pump = [&] { ++pumps; };
  host->Abandon = [&] { return pumps >= 2; };
  const PluginModule& module = Hosted("slow.spi", [](auto...) {
    while (!headless::HelperKilled()) std::this_thread::yield();
    return 2;
  });
  PluginImage g;
  EXPECT_THROW(g.LoadFromFile(kPicture), SilentAbort);
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(module.CrashCount(), 0);
}

TEST(HostProtocolTest, AModuleReplyRoundTripsAndEveryCutIsAnErrorNotAReadPastItsEnd) {
  const ModuleFacts facts{LoadOutcome::Loaded, "",        ModuleKind::Import, "C:\\a.spi", "00IN", "A",
                          {"*.a", "*.b"},      {"A", "B"}};
  const std::vector<uint8_t> message = EncodeModuleFacts(facts);
  MessageReader whole(message);
  const ModuleFacts back = DecodeModuleFacts(whole);
  EXPECT_EQ(back.fileName, facts.fileName);
  EXPECT_EQ(back.filters, facts.filters);
  EXPECT_EQ(back.descriptions, facts.descriptions);
  for (size_t size = 1; size < message.size(); ++size) {
    const std::vector<uint8_t> cut(message.begin(), message.begin() + static_cast<ptrdiff_t>(size));
    MessageReader r(cut);
    EXPECT_THROW(DecodeModuleFacts(r), HostProtocolError) << size;
  }
}

}  // namespace
}  // namespace zeb::spi
