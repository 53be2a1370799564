#include "settings/call_log_table.h"

#include <algorithm>

#include "settings/call_log_words.h"

namespace dezadav {
namespace {

constexpr std::string_view kEmptySlotDate = "00-00-";
constexpr std::string_view kIncoming = "IN";

std::string NumberText(long long number) {
    return "No." + std::to_string(number);
}

// States of the per-record reading, named after the word each one expects.
enum class Expect { Number, Date, Time, Duration, Direction, Address, Done, EmptySlot };

// How a text's lines are read: router output takes at most one record per line; a settings file's
// rows all stand in one division (its lines end in CR LF), so there the word after a record is
// passed over and the next record number is looked for again.
enum class Source { Router, File };

}  // namespace

std::string RouterLogSource(std::string_view macAddress, std::string_view ipAddress) {
    // Prefixed so that no router's address can ever read as the loaded-file source or as another
    // router's address of the other kind.
    if (!macAddress.empty()) return "mac " + std::string(macAddress);
    return "ip " + std::string(ipAddress);
}

CallLogTable::CallLogTable() {
    ClearCallLog();
}

CallLogRecord CallLogTable::PlaceholderRow(int row) {
    return {NumberText(row + 1), "00-00-    0", "00:00:00", "0", "-", ""};
}

void CallLogTable::ClearCallLog() {
    m_rows.clear();
    for (int i = 0; i < kPlaceholderRows; ++i) m_rows.push_back(PlaceholderRow(i));
    m_recordCount = 0;
}

CallLogRecord& CallLogTable::RowForRecord(int record) {
    // A counted record always gets a row, so that Save writes only rows that exist and a file
    // holding more records than the list has rows loads whole.
    while (static_cast<int>(m_rows.size()) <= record) {
        m_rows.push_back(PlaceholderRow(static_cast<int>(m_rows.size())));
    }
    return m_rows[record];
}

void CallLogTable::Renumber() {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].number = NumberText(static_cast<long long>(i) + 1);
}

namespace {

// The direction and address words of one record. An incoming call's address stands as two words
// (address and port), kept as one text joined by a space; an outgoing call's is a single word.
class DirectionAndAddress {
public:
    // Forgets the previous record's direction and first address word.
    void Reset() {
        m_incoming = false;
        m_haveFirstAddressWord = false;
    }

    void ReadDirection(const std::string& word, CallLogRecord& row) {
        if (word == kIncoming) m_incoming = true;
        row.direction = word;
    }

    // Takes one address word; once the address is whole, writes it into `row` and returns true.
    bool ReadAddress(const std::string& word, CallLogRecord& row) {
        if (m_incoming && !m_haveFirstAddressWord) {
            m_firstAddressWord = word;
            m_haveFirstAddressWord = true;
            return false;
        }
        row.address = m_incoming ? m_firstAddressWord + " " + word : word;
        return true;
    }

private:
    bool m_incoming = false;
    bool m_haveFirstAddressWord = false;
    std::string m_firstAddressWord;
};

// Reads records "No.<recordCount+1>", "No.<recordCount+2>", ... from the cut lines into the
// table's rows through `rowFor`, raising recordCount once a record's address is written.
template <typename RowFor>
void ReadRecords(const std::vector<CallLogLineWords>& lines, Source source, int& recordCount, RowFor rowFor) {
    for (const CallLogLineWords& words : lines) {
        Expect state = Expect::Number;
        DirectionAndAddress address;
        for (const std::string& word : words) {
            if (state == Expect::Done && source == Source::File) {
                state = Expect::Number;
                continue;
            }
            if (state == Expect::Done || state == Expect::EmptySlot) {
                if (source == Source::Router) break;
                continue;
            }
            switch (state) {
                case Expect::Number:
                    if (word == NumberText(static_cast<long long>(recordCount) + 1)) {
                        rowFor(recordCount).number = word;
                        state = Expect::Date;
                    }
                    break;
                case Expect::Date:
                    if (word == kEmptySlotDate) {
                        state = Expect::EmptySlot;
                    } else {
                        rowFor(recordCount).date = word;
                        address.Reset();
                        state = Expect::Time;
                    }
                    break;
                case Expect::Time:
                    rowFor(recordCount).time = word;
                    state = Expect::Duration;
                    break;
                case Expect::Duration:
                    rowFor(recordCount).duration = word;
                    state = Expect::Direction;
                    break;
                case Expect::Direction:
                    address.ReadDirection(word, rowFor(recordCount));
                    state = Expect::Address;
                    break;
                case Expect::Address:
                    if (address.ReadAddress(word, rowFor(recordCount))) {
                        ++recordCount;
                        state = Expect::Done;
                    }
                    break;
                case Expect::Done:
                case Expect::EmptySlot:
                    break;
            }
        }
    }
}

}  // namespace

bool CallLogTable::ParseCallLog(std::string_view text) {
    if (text.empty()) return false;
    const auto lines = CutCallLogLines(text, 0, text.size(), false);
    ReadRecords(lines, Source::Router, m_recordCount,
                [this](int record) -> CallLogRecord& { return RowForRecord(record); });
    return true;
}

bool CallLogTable::ParseCallLogFrom(const std::string& source, std::string_view text) {
    if (source != m_source) ClearCallLog();
    m_source = source;
    return ParseCallLog(text);
}

bool CallLogTable::LoadCallLogSection(std::string_view text, std::size_t start, std::size_t end) {
    if (end < 1) return false;
    m_recordCount = 0;
    m_source = kLoadedFileLogSource;
    const auto lines = CutCallLogLines(text, start, end, true);
    ReadRecords(lines, Source::File, m_recordCount,
                [this](int record) -> CallLogRecord& { return RowForRecord(record); });
    return true;
}

bool CallLogTable::MergeCallLogRecord(std::string_view text, int number) {
    if (text.empty()) return false;
    const std::string wanted = NumberText(number);
    const auto lines = CutCallLogLines(text, 0, text.size(), false);
    for (const CallLogLineWords& words : lines) {
        Expect state = Expect::Number;
        bool listed = false;
        DirectionAndAddress address;
        std::string date;
        std::string time;
        for (const std::string& word : words) {
            if (state == Expect::Done || state == Expect::EmptySlot) break;
            switch (state) {
                case Expect::Number:
                    if (word == wanted) state = Expect::Date;
                    break;
                case Expect::Date:
                    if (word == kEmptySlotDate) {
                        state = Expect::EmptySlot;
                        break;
                    }
                    date = word;
                    state = Expect::Time;
                    break;
                case Expect::Time:
                    time = word;
                    // Only a row showing this very call lists it: a date on one row and the time
                    // on another belong to two other calls.
                    listed = std::any_of(m_rows.begin(), m_rows.end(), [&](const CallLogRecord& row) {
                        return row.date == date && row.time == time;
                    });
                    if (!listed) {
                        if (m_recordCount < kPlaceholderRows && m_rows.size() >= kPlaceholderRows) {
                            m_rows.erase(m_rows.begin() + (kPlaceholderRows - 1));
                        }
                        m_rows.insert(m_rows.begin(), CallLogRecord{"", date, time, "", "", ""});
                        Renumber();
                    }
                    state = Expect::Duration;
                    break;
                case Expect::Duration:
                    if (listed) {
                        // The duration belongs to the row that shows this very call; another
                        // call's row (such as whichever happens to be at the top) keeps its own.
                        const auto row = std::find_if(
                            m_rows.begin(), m_rows.end(),
                            [&](const CallLogRecord& r) { return r.date == date && r.time == time; });
                        if (row != m_rows.end()) row->duration = word;
                        state = Expect::Done;
                    } else {
                        m_rows.front().duration = word;
                        state = Expect::Direction;
                    }
                    break;
                case Expect::Direction:
                    address.ReadDirection(word, m_rows.front());
                    state = Expect::Address;
                    break;
                case Expect::Address:
                    if (address.ReadAddress(word, m_rows.front())) {
                        ++m_recordCount;
                        state = Expect::Done;
                    }
                    break;
                case Expect::Done:
                case Expect::EmptySlot:
                    break;
            }
        }
    }
    return true;
}

void CallLogTable::MergeCallLog(std::string_view text) {
    constexpr int kRouterLogSlots = 10;
    for (int number = kRouterLogSlots; number >= 1; --number) MergeCallLogRecord(text, number);
}

std::string CallLogTable::CallLogRowText(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return {};
    const CallLogRecord& r = m_rows[row];
    return "  " + r.number + ",     " + r.date + ",       " + r.time + ",          " + r.duration +
           ",            " + r.direction + ",      " + r.address + "\r\n";
}

std::string CallLogTable::RecordRowsText() const {
    std::string rows;
    const int count = std::min(m_recordCount, static_cast<int>(m_rows.size()));
    for (int row = 0; row < count; ++row) rows += CallLogRowText(row);
    return rows;
}

}  // namespace dezadav
