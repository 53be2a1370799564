#pragma once

#include <string>
#include <string_view>

namespace dezadav {

// The last-records list: a small file the git history keeps in its folder after every record and
// every check, naming the branch's newest commit and, for each router's file in it, the git id of
// its contents. While that commit is still the newest, a fetch that read the same settings again
// learns "unchanged, nothing to record" from it without loading git at all. A list left behind by
// a newer commit (another program recorded meanwhile) is simply not used.
inline constexpr const char* kLastRecordsFileName = "dezadav-last-records";

// The git object id of a file holding `text`: the SHA-1 of "blob <length>" NUL `text`, in lower-case
// hexadecimal.
std::string GitBlobId(std::string_view text);

// True when the history in `folder` holds exactly `text` as the newest version of `fileName`, as its
// last-records list tells for the commit its branch names now. False when that cannot be told so
// (no list, a list of an older commit, another text, a folder that is not a bare repository).
bool LastRecordHolds(const std::string& folder, const std::string& fileName, std::string_view text);

// True when the last-records list of the branch's newest commit names `fileName` (a file in that
// commit). False also when that cannot be told so.
bool LastRecordsName(const std::string& folder, const std::string& fileName);

}  // namespace dezadav
