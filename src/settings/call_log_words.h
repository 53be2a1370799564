#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// The words of one line of call-log text, in order; a word may be empty.
using CallLogLineWords = std::vector<std::string>;

// Cuts the bytes [start, end) of `text` (end clamped to the text) into lines and words the way the
// call-log readers take them:
// - A line ends at the first LF immediately followed by a CR; the next line begins just after that
//   CR. The last line ends at `end`.
// - A word ends at a space whose preceding byte is not a space, at a CR or at a tab. The word is
//   every byte since the previous word's end, with spaces and LFs (and, when removeCommas, commas)
//   removed; it may be empty.
// - The scan of a line includes the byte just after its CR, so a line followed by one that begins
//   with a space (or tab, or CR) yields one more, empty, word.
// - Bytes at the end that no space, CR or tab ends are no word.
// Words are held whole, however long.
std::vector<CallLogLineWords> CutCallLogLines(std::string_view text, std::size_t start, std::size_t end,
                                              bool removeCommas);

}  // namespace dezadav
