// The input sources: the order in which modules and offsets are tried, the arguments each kind of source
// hands to the plug-ins, progress and abort, listener errors, the preview path, and who frees what.
#include <gtest/gtest.h>

#include "tests/spi/plugin_memory_fixture.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/headless/headless.h"
#include "spi/spi_graphic.h"
#include "spi/spi_manager.h"
#include "spi/spi_source.h"
#include "tests/support/fake_plugins.h"
#include "tests/support/fake_plugins_pictures.h"

namespace zeb::spi {
namespace {

using test::FakePlugin;
using test::FakePluginRecipe;

FakePluginRecipe WithFilters(std::vector<std::pair<std::string, std::string>> filters) {
  FakePluginRecipe recipe;
  recipe.filters = std::move(filters);
  return recipe;
}

struct Attempt {
  std::string module;
  const uint8_t* header;
  std::string fileName;
};

class SourceTest : public testing_support::PluginMemoryTest {
 protected:
  // A module that logs every support test; it supports nothing unless Supports says otherwise.
  FakePlugin& Install(const std::string& name, FakePluginRecipe recipe = {},
                      std::function<bool(const std::string&, const uint8_t*)> supports = nullptr) {
    recipe.isSupported = [this, name, supports](const std::string& fileName, const uint8_t* header) {
      attempts.push_back({name, header, fileName});
      return supports && supports(fileName, header) ? 1 : 0;
    };
    FakePlugin& p = test::InstallFakePlugin("C:\\plugins\\" + name, std::move(recipe));
    spis->Add(CreatePluginModule(p.path));
    return p;
  }
  static bool Always(const std::string&, const uint8_t*) { return true; }

  // Module names and offsets of the support tests, offsets counted from the first test's header.
  std::vector<std::string> AttemptOrder() const {
    std::vector<std::string> r;
    for (auto& a : attempts) r.push_back(a.module + "@" + std::to_string(a.header - attempts[0].header));
    return r;
  }

  std::vector<Attempt> attempts;
  PluginImage owner;  // the Sender of the reports
  test::ProgressLog log;
};

TEST_F(SourceTest, ModulesAreTriedModuleMajorAtOffsetsZeroAnd128WhenMacBinaryIsOn) {
  Install("a.spi");
  Install("b.spi");
  MemoryStream data;
  data.WriteBuffer("0123456789", 10);
  PluginStreamSource source(&owner, data, "");
  source.Decode();
  EXPECT_TRUE(source.IsEmpty());
  EXPECT_EQ(AttemptOrder(), (std::vector<std::string>{"a.spi@0", "a.spi@128", "b.spi@0", "b.spi@128"}));
}

TEST_F(SourceTest, MacBinaryOffTriesEachModuleOnceAtZero) {
  spis->MacBinary = false;
  Install("a.spi");
  Install("b.spi");
  MemoryStream data;
  data.WriteBuffer("0123456789", 10);
  PluginStreamSource source(&owner, data, "");
  source.Decode();
  EXPECT_EQ(AttemptOrder(), (std::vector<std::string>{"a.spi@0", "b.spi@0"}));
}

TEST_F(SourceTest, TheFirstSuccessEndsTheSearch) {
  test::RawDib dib = test::MakeDib(3, 2, 24);
  FakePluginRecipe recipe;
  recipe.getPicture = test::Returning(dib);
  // Supports the data only behind a MacBinary header.
  FakePlugin& a = Install("a.spi", recipe, [](const std::string&, const uint8_t* h) { return h[0] == 'P'; });
  FakePlugin& b = Install("b.spi", recipe, Always);
  std::string bytes(128, 'M');
  bytes += "P6 picture";
  MemoryStream data;
  data.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  PluginStreamSource source(&owner, data, "x.pic");
  source.Decode();
  ASSERT_FALSE(source.IsEmpty());
  EXPECT_EQ(AttemptOrder(), (std::vector<std::string>{"a.spi@0", "a.spi@128"}));
  EXPECT_TRUE(b.calls.empty());
  // The stream source hands over the data at the offset and the bytes left from there.
  ASSERT_EQ(a.calls.size(), 4u);  // IsSupported twice, GetPictureInfo, GetPicture
  EXPECT_EQ(a.calls[2].name, "GetPictureInfo");
  EXPECT_EQ(a.calls[3].name, "GetPicture");
  EXPECT_EQ(a.calls[3].buffer, reinterpret_cast<const char*>(data.Memory()) + 128);
  EXPECT_EQ(a.calls[3].length, static_cast<intptr_t>(bytes.size()) - 128);
  EXPECT_EQ(a.calls[3].flag, 1u);
  EXPECT_EQ(std::memcmp(source.LockBitmapInfo(), dib.info.data(), dib.info.size()), 0);
  EXPECT_EQ(std::memcmp(source.LockBits(), dib.bits.data(), dib.bits.size()), 0);
  // Locked once and kept: the same address each time.
  EXPECT_EQ(source.LockBits(), source.LockBits());
}

TEST_F(SourceTest, ModulesThatNameTheExtensionComeFirst) {
  spis->MacBinary = false;
  Install("a.spi", WithFilters({{"*.pic;*.mag", "PIC and MAG"}}));
  Install("b.spi", WithFilters({{"*.mag", "MAG"}}));
  Install("c.spi", WithFilters({{"*.jpg", "JPEG"}}));
  MemoryStream data;
  data.WriteBuffer("x", 1);
  {
    PluginStreamSource source(&owner, data, "C:\\pics\\photo.MAG");
    source.Decode();
  }
  EXPECT_EQ(AttemptOrder(), (std::vector<std::string>{"b.spi@0", "a.spi@0", "c.spi@0"}));
  attempts.clear();
  PluginStreamSource unnamed(&owner, data, "");
  unnamed.Decode();
  EXPECT_EQ(AttemptOrder(), (std::vector<std::string>{"a.spi@0", "b.spi@0", "c.spi@0"}));
  // An unnamed stream shows the plug-ins empty text, never a null pointer.
  EXPECT_EQ(attempts[0].fileName, "");
}

TEST_F(SourceTest, WithoutAManagerTheSearchEndsAtOnce) {
  Install("a.spi", {}, Always);
  spis.reset();
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  source.OnProgress = log.Listener();
  source.Decode();
  EXPECT_TRUE(source.IsEmpty());
  EXPECT_TRUE(attempts.empty());
  EXPECT_EQ(log.Messages(),
            (std::vector<std::string>{"Loading Graphic by Susie Plugin", "Seeking enabled Susie Plugins",
                                      "Loaded Graphic by Susie Plugin"}));
}

TEST_F(SourceTest, ProgressReportsOfOneSearch) {
  FakePluginRecipe recipe;
  recipe.getPicture = [](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                         ProgressCallback progress, intptr_t data) {
    progress(0, 4, data);
    progress(1, 2, data);
    progress(4, 4, data);
    progress(3, 0, data);  // a zero total: MulDiv gives -1, so 1 percent
    return test::ReturnDib(test::MakeDib(1, 1, 24), hInfo, hBits);
  };
  Install("skip.spi");
  Install("dir\\good.spi", recipe, Always);
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  source.OnProgress = log.Listener();
  source.Decode();
  ASSERT_FALSE(source.IsEmpty());
  std::vector<std::tuple<int, int, std::string>> expected = {
      {0, 0, "Loading Graphic by Susie Plugin"},
      {1, 1, "Seeking enabled Susie Plugins"},
      {1, 1, "Loading by [skip.spi]"},
      {1, 1, "Loading by [skip.spi]"},
      {1, 1, "Loading by [good.spi]"},
      {1, 2, ""},
      {1, 51, ""},
      {1, 99, ""},
      {1, 1, ""},
      {2, 100, "Loaded Graphic by Susie Plugin"},
  };
  ASSERT_EQ(log.reports.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto& r = log.reports[i];
    EXPECT_EQ(static_cast<int>(r.stage), std::get<0>(expected[i])) << i;
    EXPECT_EQ(r.percent, std::get<1>(expected[i])) << i;
    EXPECT_EQ(r.msg, std::get<2>(expected[i])) << i;
    EXPECT_EQ(r.sender, &owner);
    EXPECT_EQ(r.redrawNow, r.stage == ProgressStage::Ending);
    EXPECT_EQ(r.r, PixelRect{});
  }
}

TEST_F(SourceTest, TheProgressCallbackWithoutSourceOrListenerGoesOn) {
  EXPECT_EQ(PluginSource::SPIProgress(1, 2, 0), 0);
  MemoryStream data;
  PluginStreamSource source(&owner, data, "");
  EXPECT_EQ(PluginSource::SPIProgress(1, 2, reinterpret_cast<intptr_t>(&source)), 0);
}

TEST_F(SourceTest, AnAbortFromTheListenerStopsThePluginAndTheNextModuleIsTried) {
  int stopAnswer = -1;
  FakePluginRecipe stops;
  stops.getPicture = [&](const char*, intptr_t, unsigned, LocalHandle*, LocalHandle*,
                         ProgressCallback progress, intptr_t data) {
    int answer = progress(1, 3, data);
    if (stopAnswer < 0) stopAnswer = answer;
    return 1;  // this module never decodes the data
  };
  FakePluginRecipe good;
  good.getPicture = test::Returning(test::MakeDib(2, 2, 8));
  Install("a.spi", stops, Always);
  Install("b.spi", good, Always);
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  bool aborted = false;
  source.OnProgress = [&](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&,
                          const std::string& msg) {
    if (stage == ProgressStage::Running && msg.empty() && !aborted) {
      aborted = true;
      throw SilentAbort("");
    }
  };
  source.Decode();
  EXPECT_EQ(stopAnswer, 1);
  EXPECT_FALSE(source.IsEmpty());
  // a.spi at 0 was told to stop; a.spi at 128 failed on its own; b.spi decoded.
  EXPECT_EQ(AttemptOrder(), (std::vector<std::string>{"a.spi@0", "a.spi@128", "b.spi@0"}));
}

TEST_F(SourceTest, AListenerErrorEndsTheLoadAfterThePluginHasReturned) {
  int firstAnswer = -1, secondAnswer = -1;
  bool pluginReturned = false;
  FakePluginRecipe stubborn;
  // Ignores the request to stop, and even returns a picture.
  stubborn.getPicture = [&](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                            ProgressCallback progress, intptr_t data) {
    firstAnswer = progress(1, 3, data);
    secondAnswer = progress(2, 3, data);
    pluginReturned = true;
    return test::ReturnDib(test::MakeDib(4, 4, 24), hInfo, hBits);
  };
  FakePlugin& a = Install("a.spi", stubborn, Always);
  FakePlugin& b = Install("b.spi", {}, Always);
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  int listenerCalls = 0;
  std::vector<std::string> messages;
  source.OnProgress = [&](Image*, ProgressStage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    messages.push_back(msg);
    if (msg.empty()) {
      ++listenerCalls;
      throw std::runtime_error("the listener failed");
    }
  };
  try {
    source.Decode();
    FAIL() << "the listener's error was swallowed";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "the listener failed");
  }
  EXPECT_TRUE(pluginReturned);
  EXPECT_EQ(firstAnswer, 1);
  EXPECT_EQ(secondAnswer, 1);
  EXPECT_EQ(listenerCalls, 1);
  EXPECT_TRUE(source.IsEmpty());
  EXPECT_EQ(a.calls.back().name, "GetPicture");
  EXPECT_TRUE(b.calls.empty());
  EXPECT_EQ(messages.back(), "Loaded Graphic by Susie Plugin");
}

TEST_F(SourceTest, AnErrorInAReportOutsidePluginCallsEndsTheLoad) {
  Install("a.spi", {}, Always);
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  std::vector<std::string> messages;
  source.OnProgress = [&](Image*, ProgressStage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    messages.push_back(msg);
    if (msg == "Loading by [a.spi]") throw SilentAbort("");
  };
  EXPECT_THROW(source.Decode(), SilentAbort);
  EXPECT_TRUE(attempts.empty());
  EXPECT_EQ(messages.back(), "Loaded Graphic by Susie Plugin");
}

TEST_F(SourceTest, FailedCallsDropTheHandlesWithoutFreeingThem) {
  // A plug-in that fails leaves its handles to itself: whatever it stored is not freed by the source.
  LocalHandle leftBehind = LocalAllocate(8);
  FakePluginRecipe failing;
  failing.getPicture = [&](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                           ProgressCallback, intptr_t) {
    *hInfo = leftBehind;
    *hBits = leftBehind;
    return 2;
  };
  Install("a.spi", failing, Always);
  MemoryStream data;
  data.WriteBuffer("x", 1);
  {
    PluginStreamSource source(&owner, data, "");
    source.Decode();
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_EQ(source.BitmapInfoHandle(), nullptr);
    EXPECT_EQ(source.BitsHandle(), nullptr);
  }
  EXPECT_EQ(LocalHandleSize(leftBehind), 8u);
  LocalFreeHandle(leftBehind);
}

TEST_F(SourceTest, ReleaseFreesBothBlocksAndTheTextBlockOnce) {
  FakePluginRecipe recipe;
  recipe.getPictureInfo = [](const char*, intptr_t, unsigned, PictureInfo* info) {
    info->hInfo = LocalAllocate(16);
    return 0;
  };
  recipe.getPicture = test::Returning(test::MakeDib(5, 3, 8));
  Install("a.spi", recipe, Always);
  int before = headless::LiveLocalBlocks();
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  source.Decode();
  ASSERT_FALSE(source.IsEmpty());
  LocalHandle text = source.Info().hInfo;  // a copy: the record is packed
  EXPECT_NE(text, nullptr);
  EXPECT_EQ(headless::LiveLocalBlocks(), before + 3);
  source.LockBitmapInfo();
  source.LockBits();
  source.ReleaseData();
  EXPECT_EQ(headless::LiveLocalBlocks(), before);
  EXPECT_TRUE(source.IsEmpty());
  text = source.Info().hInfo;
  EXPECT_EQ(text, nullptr);
  source.ReleaseData();  // nothing left to free a second time
}

TEST_F(SourceTest, EachFailedAttemptReleasesItsTextBlock) {
  FakePluginRecipe recipe;
  recipe.getPictureInfo = [](const char*, intptr_t, unsigned, PictureInfo* info) {
    info->hInfo = LocalAllocate(16);
    return 0;
  };
  recipe.getPicture = [](const char*, intptr_t, unsigned, LocalHandle*, LocalHandle*, ProgressCallback,
                         intptr_t) { return 1; };
  Install("a.spi", recipe, Always);
  Install("b.spi", recipe, Always);
  int before = headless::LiveLocalBlocks();
  MemoryStream data;
  data.WriteBuffer("x", 1);
  PluginStreamSource source(&owner, data, "");
  source.Decode();
  EXPECT_TRUE(source.IsEmpty());
  EXPECT_EQ(headless::LiveLocalBlocks(), before);
}

// --- Stream and file sources ------------------------------------------------------------------------

// A stream that is not an in-memory stream.
class PlainStream : public Stream {
 public:
  explicit PlainStream(std::string data) : data_(std::move(data)) {}
  int64_t Read(void* buffer, int64_t count) override {
    int64_t n = std::min<int64_t>(count, static_cast<int64_t>(data_.size()) - pos_);
    if (n <= 0) return 0;
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    ++reads;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, SeekOrigin origin) override {
    int64_t base = origin == SeekOrigin::Beginning ? 0 : origin == SeekOrigin::Current ? pos_ : data_.size();
    pos_ = base + offset;
    return pos_;
  }
  int reads = 0;

 private:
  std::string data_;
  int64_t pos_ = 0;
};

TEST_F(SourceTest, AnInMemoryStreamIsUsedInPlaceFromItsFirstByteWhateverItsPosition) {
  FakePluginRecipe recipe;
  recipe.getPicture = test::Returning(test::MakeDib(1, 1, 24));
  std::string seen;
  FakePlugin& a = Install("a.spi", recipe, [&](const std::string&, const uint8_t* h) {
    seen.assign(reinterpret_cast<const char*>(h), 6);
    return true;
  });
  MemoryStream data;
  data.WriteBuffer("PICTURE DATA", 12);
  data.SetPosition(5);
  PluginStreamSource source(&owner, data, "");
  EXPECT_FALSE(source.HasOwnCopy());
  EXPECT_EQ(source.Memory(), data.Memory());
  EXPECT_EQ(source.Size(), 12);
  source.Decode();
  EXPECT_EQ(seen, "PICTUR");
  EXPECT_EQ(a.calls[1].buffer, reinterpret_cast<const char*>(data.Memory()));
  EXPECT_EQ(a.calls[1].length, 12);
  EXPECT_EQ(a.calls[1].flag, 1u);
}

TEST_F(SourceTest, AnyOtherStreamIsCopiedOnceFromPositionZero) {
  std::string seen;
  Install("a.spi", {}, [&](const std::string&, const uint8_t* h) {
    if (seen.empty()) seen.assign(reinterpret_cast<const char*>(h), 4);
    return false;
  });
  PlainStream stream("ABCDEFGH");
  stream.SetPosition(3);
  PluginStreamSource source(&owner, stream, "");
  EXPECT_TRUE(source.HasOwnCopy());
  EXPECT_EQ(source.Size(), 8);
  int readsAfterCopy = stream.reads;
  source.Decode();
  EXPECT_EQ(stream.reads, readsAfterCopy);  // the search reads the copy, never the stream
  EXPECT_EQ(seen, "ABCD");
  EXPECT_EQ(stream.Position(), 3);
}

TEST_F(SourceTest, AShortStreamFillsTheHeaderWithZerosAndOffers128BytesInOnlyWhenThereIsData) {
  std::vector<std::string> headers;
  FakePluginRecipe failing;
  failing.getPicture = [](const char*, intptr_t, unsigned, LocalHandle*, LocalHandle*, ProgressCallback,
                          intptr_t) { return 1; };
  FakePlugin& a = Install("a.spi", failing, [&](const std::string&, const uint8_t* h) {
    headers.emplace_back(reinterpret_cast<const char*>(h), 2048);
    return true;
  });
  MemoryStream data;
  data.WriteBuffer("short", 5);
  PluginStreamSource source(&owner, data, "");
  source.Decode();
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers[0], std::string("short") + std::string(2043, '\0'));
  EXPECT_EQ(headers[1], std::string(2048, '\0'));
  // Past the end of a 5-byte stream there is nothing to hand over: no pointer beyond the data and no
  // negative length reach the plug-in.
  std::vector<intptr_t> infoLengths;
  for (auto& c : a.calls)
    if (c.name != "IsSupported") infoLengths.push_back(c.length);
  EXPECT_EQ(infoLengths, (std::vector<intptr_t>{5, 5}));  // GetPictureInfo and GetPicture at offset 0
}

TEST_F(SourceTest, AFileSourceHandsOverThePathAndTheOffset) {
  std::string bytes(3000, 'z');
  bytes.replace(0, 4, "HEAD");
  headless::DefaultFiles().AddFile("C:\\pics\\photo.mag", bytes);
  std::vector<std::string> headers;
  FakePluginRecipe failing;
  failing.getPicture = [](const char*, intptr_t, unsigned, LocalHandle*, LocalHandle*, ProgressCallback,
                          intptr_t) { return 1; };
  FakePlugin& a = Install("a.spi", failing, [&](const std::string& name, const uint8_t* h) {
    headers.emplace_back(reinterpret_cast<const char*>(h), 4);
    return name == "C:\\pics\\photo.mag";
  });
  PluginFileSource source(&owner, "C:\\pics\\photo.mag");
  source.Decode();
  EXPECT_FALSE(source.HandsOverMemory());
  EXPECT_EQ(headers, (std::vector<std::string>{"HEAD", "zzzz"}));
  std::vector<std::tuple<std::string, std::string, intptr_t, unsigned>> calls;
  for (auto& c : a.calls)
    if (c.name != "IsSupported") calls.emplace_back(c.name, c.buffer, c.length, c.flag);
  using C = std::tuple<std::string, std::string, intptr_t, unsigned>;
  EXPECT_EQ(calls, (std::vector<C>{C{"GetPictureInfo", "C:\\pics\\photo.mag", 0, 0},
                                   C{"GetPicture", "C:\\pics\\photo.mag", 0, 0},
                                   C{"GetPictureInfo", "C:\\pics\\photo.mag", 128, 0},
                                   C{"GetPicture", "C:\\pics\\photo.mag", 128, 0}}));
}

// A plug-in opens a file by its ANSI name, which the system takes only up to 260 characters: a longer
// path goes over as the file's bytes.
TEST_F(SourceTest, APathOfMaxPathOrMoreIsHandedOverAsMemory) {
  Install("a.spi", {}, Always);
  for (size_t length : {259u, 260u}) {
    const std::string path = "C:\\" + std::string(length - 7, 'a') + ".mag";
    ASSERT_EQ(path.size(), length);
    headless::DefaultFiles().AddFile(path, "HEAD");
    PluginFileSource source(&owner, path);
    source.Decode();
    EXPECT_EQ(source.HandsOverMemory(), length >= 260) << length;
  }
}

TEST_F(SourceTest, AnUnreadableFileLeavesTheHeaderZeroAndTheModulesAreAskedAllTheSame) {
  headless::DefaultFiles().AddFile("C:\\pics\\locked.pic", "LOCKED DATA");
  headless::DefaultFiles().SetLocked("C:\\pics\\locked.pic", true);
  std::vector<std::string> headers;
  Install("a.spi", {}, [&](const std::string&, const uint8_t* h) {
    headers.emplace_back(reinterpret_cast<const char*>(h), 8);
    return false;
  });
  PluginFileSource missing(&owner, "C:\\pics\\missing.pic");
  missing.Decode();
  PluginFileSource locked(&owner, "C:\\pics\\locked.pic");
  locked.Decode();
  EXPECT_EQ(headers, std::vector<std::string>(4, std::string(8, '\0')));
}

}  // namespace
}  // namespace zeb::spi
