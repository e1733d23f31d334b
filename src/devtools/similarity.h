#pragma once
// Spare routines of the main window: the test-version notice and the Levenshtein similarity of two
// texts. Nothing in the program calls them.

#include <string>
#include <string_view>

namespace yz {

class Platform;

// Shows the test version and its date in a message box.
void showVersionDate(Platform& platform);

// Similarity of two texts, 1 − edit distance / length of the longer one; two empty texts are
// equal (1). Characters are UTF-16 units compared exactly.
double xsd(std::u16string_view s1, std::u16string_view s2);

// The smallest of three numbers.
double min3(double X1, double x2, double x3);

// The same similarity as text with three decimals ("0.500"); two empty texts give "1.000".
std::u16string GetLevenshteinDistince(std::u16string_view str1, std::u16string_view str2);

}  // namespace yz
