// Shared set-up of the plug-in manager tests: headless state and fake plug-ins reset, and two picture
// classes of the tests' own whose registrations are removed again after each test.
#pragma once

#include <gtest/gtest.h>

#include "platform/core/strings.h"
#include "platform/headless/headless.h"
#include "spi/spi_manager.h"
#include "tests/support/fake_graphic.h"
#include "tests/support/fake_plugins.h"

namespace zeb::spi::testing_support {

// Picture classes whose registrations the tests look for.
using TestGraphic = test::FakeImage;
using OtherTestGraphic = test::OtherFakeImage;

class ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    test::ResetFakePlugins();
    PluginManager::SetDefaultFormat(&TestGraphic::kFormat);
  }
  void TearDown() override {
    PictureFormats::UnregisterFormat(&TestGraphic::kFormat);
    PictureFormats::UnregisterFormat(&OtherTestGraphic::kFormat);
    PluginManager::SetDefaultFormat(nullptr);
    test::ResetFakePlugins();
  }

  // A working import filter at Path with these filter entries.
  test::FakePlugin& Import(const std::string& path,
                           std::vector<std::pair<std::string, std::string>> filters = {}) {
    return test::InstallFakePlugin(path, {.name = FileNamePart(path), .filters = std::move(filters)});
  }
  static std::vector<std::string> FileNames(const PluginManager& spis) {
    std::vector<std::string> names;
    for (int i = 0; i < spis.Count(); ++i) names.push_back(spis.Items(i)->FileName());
    return names;
  }
};

}  // namespace zeb::spi::testing_support
