// Set-up of the key-command tests: a main window over a list of small BMP files in the in-memory file
// system (so showing really loads), key presses, and scripted answers to the Jump dialog.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "tests/app/app_fixture.h"
#include "tests/support/bmp_maker.h"

namespace zeb::app::testing_support {

class CommandTest : public AppTest {
 protected:
  using Strings = std::vector<std::string>;

  // A 24-bit BMP of this size at Path.
  static void AddBmp(const std::string& path, int32_t width = 4, int32_t height = 3) {
    Fs().AddFile(path, test::SimpleBmp(width, height, 24,
                                       std::vector<uint32_t>(static_cast<size_t>(width) * height, 0x336699)));
  }
  // A main window whose list holds these files (made as BMPs of 4 x 3), the first one shown.
  MainWindow& With(const Strings& paths) {
    for (const std::string& p : paths) AddBmp(p);
    return Listing(paths);
  }
  // A main window whose list holds these paths (the files made already), the first one shown.
  MainWindow& Listing(const Strings& paths) {
    MainWindow& f = Make();
    for (const std::string& p : paths) f.Model().list.Add(p);
    f.Model().Tidy();
    f.Model().current = 0;
    f.Run(Command::Reload);
    return f;
  }
  // The files C:\p\0.bmp .. C:\p\<n-1>.bmp.
  MainWindow& WithNumbered(int n) {
    Strings paths;
    for (int i = 0; i < n; ++i) paths.push_back("C:\\p\\" + std::to_string(i) + ".bmp");
    return With(paths);
  }

  // Presses a key on the main window as the window layer does (errors go to the application's error
  // handler); returns the key as the handler left it.
  uint16_t Press(uint16_t key, ui::ModifierKeys shift = 0) {
    ui::App().Guard([&] { form->OnKeyDown(key, shift); });
    return key;
  }
  static constexpr ui::ModifierKeys kShift = ui::kShift, kAlt = ui::kAlt, kCtrl = ui::kCtrl;

  // The Jump dialog's answers from now on: each time it is shown, these characters are typed into its
  // edit box (then the dialog is closed with its close button if they did not end it). Counts the shows.
  void Answer(const std::string& typed) {
    headless::Script().showModal = [this, typed](ui::Window& dialog) {
      ++dialogShows;
      shownCaptions.push_back(dialog.Caption());
      shownTexts.push_back(jump->numberEdit.Text());
      for (char c : typed) ui::TypeChar(jump->numberEdit, static_cast<char32_t>(c));
      return ui::DialogResult::Cancel;
    };
  }
  // The main window's caption, the shown file's name, the current index.
  std::string Title() { return form->Caption(); }
  std::string Shown() { return form->Model().list.Entry(form->Model().current); }

  int dialogShows = 0;
  Strings shownCaptions, shownTexts;
};

}  // namespace zeb::app::testing_support
