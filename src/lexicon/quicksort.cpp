#include "lexicon/quicksort.h"

#include <utility>

namespace yz {
namespace {

// (l + r) / 2 rounded to the nearest integer, halves to the even neighbour.
int middleIndex(int l, int r) {
  long long sum = static_cast<long long>(l) + r;
  long long q = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);  // floor
  if (sum % 2 != 0 && (q & 1) != 0) ++q;
  return static_cast<int>(q);
}

std::size_t firstCommaPosition(const std::u16string& line) {
  std::size_t at = line.find(u',');
  return at == std::u16string::npos ? 0 : at + 1;
}

template <class Before>
void partitionSort(std::vector<std::u16string>& a, int l, int r, const std::function<void()>& pump,
                   Before before) {
  // Recurse into the smaller side and loop on the larger, so the stack stays shallow whatever the
  // input; the two sides are independent, so the result is that of the plain recursion.
  while (l < r) {
    int i = l;
    int j = r;
    const std::u16string x = a[static_cast<std::size_t>(middleIndex(l, r))];
    while (i <= j) {
      while (before(a[static_cast<std::size_t>(i)], x) && i < r) ++i;
      while (before(x, a[static_cast<std::size_t>(j)]) && j > l) --j;
      if (i <= j) {
        if (i != j) std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    }
    bool leftWork = l < j;
    bool rightWork = i < r;
    if (leftWork && rightWork) {
      pump();
      if (j - l < r - i) {
        partitionSort(a, l, j, pump, before);
        pump();
        l = i;
      } else {
        partitionSort(a, i, r, pump, before);
        pump();
        r = j;
      }
    } else if (leftWork) {
      pump();
      r = j;
    } else if (rightWork) {
      pump();
      l = i;
    } else {
      return;
    }
  }
}

}  // namespace

void QuickSort(std::vector<std::u16string>& MyArray, int l, int r, const std::function<void()>& pump) {
  if (l >= r) return;
  partitionSort(MyArray, l, r, pump,
                [](const std::u16string& a, const std::u16string& b) { return a < b; });
}

void QuickSortlen(std::vector<std::u16string>& MyArray, int l, int r,
                  const std::function<void()>& pump) {
  if (l >= r) return;
  partitionSort(MyArray, l, r, pump, [](const std::u16string& a, const std::u16string& b) {
    return firstCommaPosition(a) < firstCommaPosition(b);
  });
}

}  // namespace yz
