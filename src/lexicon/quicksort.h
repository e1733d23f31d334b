#pragma once
// The sort of every rebuild: whole lines sorted in place, so a rebuild glues its sort key in front
// of the data it orders.

#include <functional>
#include <string>
#include <vector>

namespace yz {

// Sorts MyArray[l..r] (inclusive) in the comparison order, in place; not stable. Runs `pump` (one
// message-pump pass) before each partition it goes on to sort. Pumps messages.
void QuickSort(std::vector<std::u16string>& MyArray, int l, int r, const std::function<void()>& pump);

// The same, ordering lines by the 1-based position of their first comma (0 without one).
// Pumps messages.
void QuickSortlen(std::vector<std::u16string>& MyArray, int l, int r,
                  const std::function<void()>& pump);

}  // namespace yz
