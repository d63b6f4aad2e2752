// Jumps over groups of the sorted list: folder runs and numbered series. Where there is nowhere to go,
// nothing changes and nothing is shown.
#include "app/main_window.h"

namespace zeb::app {

void MainWindow::NextFolder() {
  if (model_.NextFolder()) ShowCurrent();
}

void MainWindow::PreviousFolder() {
  if (model_.PreviousFolder()) ShowCurrent();
}

void MainWindow::NextSeries() {
  if (model_.NextSeries()) ShowCurrent();
}

void MainWindow::PreviousSeries() {
  model_.PreviousSeries();
  ShowCurrent();
}

void MainWindow::RemoveSeries() {
  if (model_.RemoveSeries()) ShowCurrent();
}

}  // namespace zeb::app
