// Showing the current entry, and the plug-in manager's handlers that decide what it may decode.
#include <algorithm>

#include "app/dialogs/list_window.h"
#include "app/form1.h"
#include "app/plugin_crash_report.h"
#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "spi/spi_handlers.h"

namespace zeb::app {

void TForm1::LoadFromFile() {
  // An entry that cannot be read leaves the list and the one now at its place is tried, until one
  // loads or the list is empty (a loop, so a long run of broken entries cannot exhaust the stack).
  for (;;) {
    const int32_t count = List().Count();
    if (count == 0) {
      SetCaption("<empty>");
      Image1.Picture().Assign(ImgBlank.Picture());
      AdjustFormSize();
      return;
    }
    // An index left outside the list (a cleared bookmark, say) shows the nearest entry.
    CurrentIndex = std::clamp(CurrentIndex, 0, count - 1);
    try {
      const std::string entry = List().Entry(CurrentIndex);
      Image1.Picture().LoadFromFile(entry);
      ShowPluginCrashReports(SPIs1.get(), Timer1.Enabled());
      CurrentName = ShowFullPath ? entry : FileNamePart(entry);
      if (Form3 && Form3->Visible()) Form3->ListBox1.SetItemIndex(CurrentIndex);
      AdjustFormSize();
      if (WallpaperMode) SetWallpaper();
      if (QuitAtEnd && !Timer1.Enabled() && WallpaperMode) Close();
      return;
    } catch (const EInvalidGraphic&) {
    } catch (const EFOpenError&) {
    }
    ShowPluginCrashReports(SPIs1.get(), Timer1.Enabled());
    DeleteEntry(CurrentIndex, false);
  }
}

void TForm1::Image1Progress(TGraphic*, TProgressStage stage, uint8_t, bool, const TRect&,
                            const std::string&) {
  if (!PauseWhileLoading) return;
  if (stage == psStarting) {
    TimerWasEnabled = Timer1.Enabled();
    Timer1.SetEnabled(false);
  } else if (stage == psEnding) {
    if (TimerWasEnabled) Timer1.SetEnabled(true);
  }
}

void TForm1::SPIs1Search(spi::TSPIs*, spi::TSPI* aSPI, bool& accept) {
  spi::AcceptImportFiltersOnly(aSPI, accept);
}

void TForm1::SPIs1PictureRegister(spi::TSPIs*, spi::TInSPI*, const std::string& aExtension,
                                  const std::string&, TGraphicClass& aGraphicClass) {
  spi::RefuseStarExtension(aExtension, aGraphicClass);
}

}  // namespace zeb::app
