#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace dezadav {

// What the reader of one word wants next.
enum class WordAction {
    Continue,        // go on with the next word of the line
    SkipRestOfLine,  // ignore the rest of this line and go on with the next line
};

// Cuts the text of a "voip sip ..." or "voip rtp ..." output into lines and words the way the SIP and
// codec readers take them, and hands every word to `onWord` in order.
//
// Lines: a line ends at the first LF that is immediately followed by CR; that CR is the line's last
// byte and the next line begins after it. The last line ends at the end of `text`.
// Words: a word ends at a space whose preceding byte is not a space, or at a CR. It is every byte
// since the previous word's end, with spaces and LFs removed, and may be empty. The scan of a line
// also looks at the byte just after the line's CR, so a line followed by a line beginning with a
// space yields one more, empty, word. A word at the very end of `text` that is not followed by a
// space or CR is not taken. Words are held whole, however long. The first byte of `text` has no
// preceding byte (a space there ends an empty word).
void CutOutputIntoWords(std::string_view text,
                        const std::function<WordAction(const std::string& word)>& onWord);

}  // namespace dezadav
