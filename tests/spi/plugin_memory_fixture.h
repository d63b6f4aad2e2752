// Tests of plug-in pictures run with one plug-in manager and check, when each test ends, that every
// block a plug-in returned was freed exactly once and every palette made was freed.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/headless/headless.h"
#include "spi/spi_manager.h"
#include "tests/support/fake_plugins.h"

namespace zeb::spi::testing_support {

class PluginMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    test::ResetFakePlugins();
    blocksBefore_ = headless::LiveLocalBlocks();
    palettesBefore_ = headless::LivePalettes();
    faultsBefore_ = headless::LocalMemoryFaults();
    spis = std::make_unique<PluginManager>();
  }
  void TearDown() override {
    spis.reset();
    EXPECT_EQ(headless::LiveLocalBlocks(), blocksBefore_) << "a block was not freed";
    EXPECT_EQ(headless::LivePalettes(), palettesBefore_) << "a palette was not freed";
    EXPECT_EQ(headless::LocalMemoryFaults(), faultsBefore_) << "a block was freed twice or was not a block";
  }

  std::unique_ptr<PluginManager> spis;

 private:
  int blocksBefore_ = 0, palettesBefore_ = 0, faultsBefore_ = 0;
};

}  // namespace zeb::spi::testing_support
