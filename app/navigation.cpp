// Jumps over groups of the sorted list: folder runs and numbered series. Nothing here touches a file;
// where there is nowhere to go, nothing changes and nothing is shown.
#include <algorithm>

#include "app/form1.h"
#include "platform/core/strings.h"

namespace zeb::app {

namespace {

std::string FolderAt(TForm1& form, int32_t index) { return FolderPart(form.List().Entry(index)); }
std::string NameAt(TForm1& form, int32_t index) { return UpperAscii(FileNamePart(form.List().Entry(index))); }

// Entries Index - 1 and Index stand in one series: the same folder and series names.
bool SeriesGoesOn(TForm1& form, int32_t index) {
  return FolderAt(form, index - 1) == FolderAt(form, index) &&
         TForm1::SameSeries(NameAt(form, index - 1), NameAt(form, index));
}

// The current index within the list (it may be -1 only while the list is empty).
int32_t Current(TForm1& form) {
  return std::clamp(form.CurrentIndex, 0, std::max(form.List().Count() - 1, 0));
}

}  // namespace

void TForm1::NextFolder() {
  const int32_t count = List().Count();
  if (count == 0) return;
  const int32_t current = Current(*this);
  const std::string folder = FolderAt(*this, current);
  for (int32_t i = current + 1; i < count; ++i) {
    if (FolderAt(*this, i) != folder) {
      CurrentIndex = i;
      LoadFromFile();
      return;
    }
  }
}

void TForm1::PreviousFolder() {
  if (List().Empty() || CurrentIndex <= 0) return;
  int32_t i = Current(*this);
  const std::string folder = FolderAt(*this, i);
  for (--i; i >= 0 && FolderAt(*this, i) == folder; --i) {
  }
  // The current folder's run reaches back to the start: nowhere to go.
  if (i < 0) return;
  const std::string previous = FolderAt(*this, i);
  while (i > 0 && FolderAt(*this, i - 1) == previous) --i;
  CurrentIndex = i;
  LoadFromFile();
}

void TForm1::NextSeries() {
  const int32_t count = List().Count();
  if (count < 2) return;
  for (int32_t i = Current(*this) + 1; i < count; ++i) {
    if (!SeriesGoesOn(*this, i)) {
      CurrentIndex = i;
      LoadFromFile();
      return;
    }
  }
}

int32_t TForm1::FindSeriesStart() {
  if (List().Count() < 2 || CurrentIndex <= 0) return -1;
  for (int32_t n = Current(*this) - 1; n >= 0; --n)
    if (!SeriesGoesOn(*this, n + 1)) return n;
  return -1;
}

void TForm1::PreviousSeries() {
  const int32_t s = FindSeriesStart();
  if (s < 0) {
    CurrentIndex = 0;
  } else if (CurrentIndex == s + 1) {
    // Already at the first picture of its series: to the first of the series before.
    CurrentIndex = s;
    CurrentIndex = FindSeriesStart() + 1;
  } else {
    CurrentIndex = s + 1;
  }
  LoadFromFile();
}

void TForm1::RemoveSeries() {
  if (List().Empty()) return;
  if (List().Count() == 1) {
    DeleteEntry(Current(*this), true);
    return;
  }
  const int32_t b = FindSeriesStart() + 1;
  CurrentIndex = b;
  if (b == List().Count() - 1) {
    DeleteEntry(b, true);
    return;
  }
  // Take out the series' entries one by one from its start until the entry that moves up belongs to
  // another series, and show that one.
  while (b < List().Count() - 1) {
    const std::string folder = FolderAt(*this, b), name = NameAt(*this, b);
    const std::string nextFolder = FolderAt(*this, b + 1), nextName = NameAt(*this, b + 1);
    DeleteEntry(b, false);
    if (nextFolder != folder || !SameSeries(name, nextName)) {
      LoadFromFile();
      return;
    }
  }
  // The series ran to the end of the list: its last entry goes too, and the new last one is shown.
  DeleteEntry(b, false);
  CurrentIndex = b - 1;
  LoadFromFile();
}

}  // namespace zeb::app
