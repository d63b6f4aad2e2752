// Shared set-up of the viewer tests: a fresh headless platform, the side windows, and a main window
// made with a command line. Pictures are fake ones ("FAKE <width> <height>", extension .fak) or BMPs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/form1.h"
#include "platform/headless/folder_identity.h"
#include "platform/headless/headless.h"
#include "tests/support/fake_graphic.h"

namespace zeb::app::testing_support {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    headless::FolderIdentityRule() = nullptr;
    ResetApplication();
    jump = std::make_unique<TForm2>();
    Form2 = jump.get();
    list = std::make_unique<TForm3>();
    Form3 = list.get();
  }
  void TearDown() override {
    form.reset();
    list.reset();
    Form3 = nullptr;
    jump.reset();
    Form2 = nullptr;
    headless::FolderIdentityRule() = nullptr;
    PictureFormats::UnregisterGraphicClass(&test::TFakeGraphic::Class);
    headless::ResetAll();
  }

  // Registers the fake picture class for ".fak" (before the main window is made, so the list of
  // picture extensions has it).
  static void RegisterFake() { PictureFormats::Register("fak", "Fake picture", &test::TFakeGraphic::Class); }
  static void ResetApplication() {
    ui::Application() = ui::TApplication();
    ui::Application().SetTitle("ZEB ver.1.00β");
  }
  static headless::MemoryFileSystem& Fs() { return headless::DefaultFiles(); }
  static void AddFake(const std::string& path, int w = 10, int h = 10) {
    Fs().AddFile(path, "FAKE " + std::to_string(w) + " " + std::to_string(h));
  }

  // A new main window (the previous one goes first: there is one plug-in manager at a time).
  TForm1& Make(std::vector<std::string> args = {}) {
    form.reset();
    list->Images.Clear();
    headless::Script().messages.clear();
    ResetApplication();
    form = std::make_unique<TForm1>(std::move(args));
    return *form;
  }
  std::vector<std::string> Entries() { return list->Images.Entries(); }
  static std::vector<std::string>& Messages() { return headless::Script().messages; }

  std::unique_ptr<TForm2> jump;
  std::unique_ptr<TForm3> list;
  std::unique_ptr<TForm1> form;
};

}  // namespace zeb::app::testing_support
