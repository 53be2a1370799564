#pragma once

// Reads router outputs the way the program reads them: the dial-plan listing by byte positions from
// each block's anchor, the SIP outputs by keyword and the word after it (one keyword per line), the
// RTP outputs by keyword pairs in order, the call log by "No.<n>" records. The emulator's tests use
// these to prove that what it prints lands where the program looks.

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace dezadav::testing {

struct ListedEntry {
    int index = 0;
    bool enabled = false;
    std::string phone;
    std::string user;
    std::string domain;
    char loop = 0;  // the loop-through code byte, one-port listings only
    std::string backup;
};

// Value from pos up to the next LF; end receives the LF's position. False when no LF follows.
inline bool ValueToLf(const std::string& t, size_t pos, std::string& value, size_t& end) {
    if (pos >= t.size()) return false;
    size_t lf = t.find('\n', pos);
    if (lf == std::string::npos) return false;
    value = t.substr(pos, lf - pos);
    end = lf;
    return true;
}

inline std::vector<ListedEntry> ReadDialPlanListing(const std::string& t, bool twoPort) {
    std::vector<ListedEntry> entries;
    if (t.size() <= 6) return entries;
    size_t a = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        if (a + 16 >= t.size()) break;
        ListedEntry e;
        e.index = std::atoi(t.c_str() + a + 16);
        size_t d = e.index >= 10 ? 1 : 0;
        if (a + 18 + d >= t.size()) break;
        e.enabled = t[a + 18 + d] == 'a';
        size_t b = a + 16 + d + (e.enabled ? 0 : 2);
        size_t e1, e2, e3;
        if (!ValueToLf(t, b + 30, e.phone, e1)) break;
        if (!ValueToLf(t, e1 + 8, e.user, e2)) break;
        if (!ValueToLf(t, e2 + 11, e.domain, e3)) break;
        if (twoPort) {
            entries.push_back(e);
            if (e3 + 4 >= t.size() || t[e3 + 4] == '>') break;
            a = e3 + 2;
            continue;
        }
        if (e3 + 26 >= t.size()) break;
        e.loop = t[e3 + 8];
        size_t e4 = e3 + 26;
        if (t[e4] != '>' && t[e4] != '\n' && !ValueToLf(t, e4, e.backup, e4)) break;
        entries.push_back(e);
        if (e4 + 2 >= t.size() || t[e4 + 2] == '>') break;
        a = e4;
    }
    return entries;
}

// Words as the program cuts them: a word ends at a space whose preceding byte is not a space, or at a
// carriage return (or a tab when asked); it holds the bytes since the previous word end with spaces and
// line feeds removed, so it may be empty. A line ends at a line feed followed by a carriage return.
inline std::vector<std::vector<std::string>> OutputWords(const std::string& t, bool tabEndsWord = false) {
    std::vector<std::vector<std::string>> lines(1);
    size_t start = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        bool ends = c == '\r' || (tabEndsWord && c == '\t') || (c == ' ' && i > 0 && t[i - 1] != ' ');
        if (!ends) continue;
        std::string word;
        for (size_t j = start; j < i; ++j) {
            if (t[j] != ' ' && t[j] != '\n') word += t[j];
        }
        lines.back().push_back(word);
        start = i + 1;
        if (c == '\r' && i > 0 && t[i - 1] == '\n') lines.emplace_back();
    }
    return lines;
}

// The value after each keyword (one keyword per line; the value may be the first word of a later line).
inline std::map<std::string, std::string> ReadKeywordValues(const std::string& t,
                                                            const std::vector<std::string>& keywords) {
    std::map<std::string, std::string> values;
    std::string pending;
    for (const auto& line : OutputWords(t)) {
        for (const auto& w : line) {
            if (!pending.empty()) {
                values[pending] = w;
                pending.clear();
                break;
            }
            bool isKeyword = false;
            for (const auto& k : keywords) isKeyword = isKeyword || w == k;
            if (isKeyword) pending = w;
        }
    }
    return values;
}

// The two values of an RTP output: each introduced by a keyword of one or two words, the second only
// looked for after the first value was taken.
inline std::vector<std::string> ReadRtpValues(const std::string& t,
                                              const std::vector<std::vector<std::string>>& keys) {
    std::vector<std::string> values;
    int progress = 0;
    for (const auto& line : OutputWords(t)) {
        for (const auto& w : line) {
            if (values.size() >= keys.size()) return values;
            const auto& key = keys[values.size()];
            if (progress == static_cast<int>(key.size())) {
                values.push_back(w);
                progress = 0;
            } else if (w == key[static_cast<size_t>(progress)]) {
                ++progress;
            }
        }
    }
    return values;
}

struct LoggedCall {
    int number = 0;
    std::string date, time, duration, direction, address;
};

// Records "No.<n>" date time duration direction address..., up to the first empty slot ("00-00-").
inline std::vector<LoggedCall> ReadCallLog(const std::string& t) {
    std::vector<LoggedCall> calls;
    for (const auto& line : OutputWords(t, true)) {
        const std::vector<std::string>& w = line;
        if (w.size() < 2 || w[0] != "No." + std::to_string(calls.size() + 1)) continue;
        if (w[1] == "00-00-") break;
        if (w.size() < 6) continue;
        LoggedCall c{static_cast<int>(calls.size() + 1), w[1], w[2], w[3], w[4], w[5]};
        if (c.direction == "IN" && w.size() >= 7) c.address += " " + w[6];
        calls.push_back(c);
    }
    return calls;
}

}  // namespace dezadav::testing
