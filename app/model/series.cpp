// Which file names belong to one series. Names are compared upper-cased; the extension does not count.
#include "app/model/series.h"

namespace zeb::app {

bool IsDigitAt(const std::string& text, size_t position) {
  return position >= 1 && position <= text.size() && text[position - 1] >= '0' && text[position - 1] <= '9';
}

namespace {

struct SeriesName {
  std::string stem;    // the base up to its first digit
  std::string digits;  // the run of digits that follows the stem
  bool digitsOnly;     // nothing follows that run in the base
};

SeriesName Split(const std::string& name) {
  // The base is the text before the last "."; a name without a "." has an empty base.
  const size_t dot = name.rfind('.');
  const std::string base = dot == std::string::npos ? std::string() : name.substr(0, dot);
  size_t first = 1;
  while (first <= base.size() && !IsDigitAt(base, first)) ++first;
  size_t end = first;
  while (IsDigitAt(base, end)) ++end;
  return {base.substr(0, first - 1), base.substr(first - 1, end - first), end > base.size()};
}

}  // namespace

bool SameSeries(const std::string& a, const std::string& b) {
  const SeriesName x = Split(a), y = Split(b);
  if (x.stem != y.stem) return false;
  // A shared name stem makes a series whatever the numbers are.
  if (!x.stem.empty()) return true;
  // Names made of numbers: the same number of digits, and plain numbers within the same hundred.
  if (x.digits.size() != y.digits.size()) return false;
  if (x.digitsOnly && y.digitsOnly) {
    const size_t n = x.digits.size();
    return n <= 2 || x.digits.compare(0, n - 2, y.digits, 0, n - 2) == 0;
  }
  return x.digits == y.digits;
}

}  // namespace zeb::app
