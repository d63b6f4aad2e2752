// Shared set-up of the viewer tests: a fresh headless platform, a model with the side windows, and a
// main window made with a command line. Pictures are fake ones ("FAKE <width> <height>", extension .fak) or
// BMPs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/main_window.h"
#include "platform/headless/folder_identity.h"
#include "platform/headless/headless.h"
#include "spi/host_server.h"
#include "tests/support/fake_graphic.h"

namespace zeb::app::testing_support {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    // The plug-in host's work, for the main window's plug-ins (unless -I runs them in the window's process).
    headless::RegisterHelper(spi::kPluginHostProgram,
                             [](HelperPipe& pipe) { return spi::ServePluginHost(pipe); });
    headless::FolderIdentityRule() = nullptr;
    ResetApplication();
    MakeWindows();
  }
  void TearDown() override {
    form.reset();
    list.reset();
    jump.reset();
    headless::FolderIdentityRule() = nullptr;
    PictureFormats::UnregisterFormat(&test::FakeImage::kFormat);
    headless::ResetAll();
  }

  // Registers the fake picture class for ".fak" (before the main window is made, so the list of
  // picture extensions has it).
  static void RegisterFake() { PictureFormats::Register("fak", "Fake picture", &test::FakeImage::kFormat); }
  static void ResetApplication() {
    ui::App() = ui::Application();
    ui::App().SetTitle("ZEB ver.1.00β");
  }
  static headless::MemoryFileSystem& Fs() { return headless::DefaultFiles(); }
  static void AddFake(const std::string& path, int w = 10, int h = 10) {
    Fs().AddFile(path, "FAKE " + std::to_string(w) + " " + std::to_string(h));
  }

  // A new main window (the previous one goes first: there is one plug-in manager at a time).
  MainWindow& Make(std::vector<std::string> args = {}) {
    form.reset();
    MakeWindows();
    headless::Script().messages.clear();
    ResetApplication();
    form = std::make_unique<MainWindow>(*model, jump.get(), list.get(), std::move(args));
    return *form;
  }
  // A fresh model with a fresh Jump dialog and List window: every start begins from the defaults.
  void MakeWindows() {
    list.reset();
    jump.reset();
    model = std::make_unique<ViewerModel>();
    jump = std::make_unique<JumpDialog>();
    list = std::make_unique<ListWindow>(*model);
  }
  std::vector<std::string> Entries() { return model->list.Entries(); }
  static std::vector<std::string>& Messages() { return headless::Script().messages; }

  std::unique_ptr<ViewerModel> model;
  std::unique_ptr<JumpDialog> jump;
  std::unique_ptr<ListWindow> list;
  std::unique_ptr<MainWindow> form;
};

}  // namespace zeb::app::testing_support
