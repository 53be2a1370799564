#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// The source of a table whose records were loaded from a settings file: different from every
// router, even the one the file was saved from (a load always starts the table afresh itself).
inline constexpr std::string_view kLoadedFileLogSource = "file";

// The source of a router's call log: its MAC address, or its IP address when the MAC is unknown.
std::string RouterLogSource(std::string_view macAddress, std::string_view ipAddress);

// One row of the VoIP call log, every column as text exactly as the router printed it.
struct CallLogRecord {
    std::string number;     // "No.%d", e.g. "No.1"
    std::string date;       // mm-dd-yyyy; the router marks an empty slot with the date "00-00-"
    std::string time;       // hh:mm:ss
    std::string duration;   // seconds
    std::string direction;  // "IN" marks an incoming call, any other word an outgoing one
    std::string address;    // one word, or for an incoming call two words joined by one space

    bool operator==(const CallLogRecord&) const = default;
};

// The rows of the VoIP log list plus recordCount, the number of records taken from the router or a
// file since the table was last emptied. Only ever read from the router, never written back.
//
// Router output is read line by line (a line ends at an LF immediately followed by a CR) and cut
// into words that end at a space following a non-space, at a CR or at a tab; spaces and LFs are
// removed from words, words are compared case-sensitively and held whole.
class CallLogTable {
public:
    static constexpr int kPlaceholderRows = 10;

    // Ten placeholder rows, recordCount 0.
    CallLogTable();

    // Row i of a freshly emptied table: "No.<i+1>", "00-00-    0", "00:00:00", "0", "-", "".
    static CallLogRecord PlaceholderRow(int row);

    const std::vector<CallLogRecord>& Rows() const { return m_rows; }
    int RecordCount() const { return m_recordCount; }

    // Full parse of the output of "voip sip calllog" into the rows, continuing from recordCount
    // (not reset first): record "No.<recordCount+1>" goes into row recordCount, and so on. Reading
    // stops being useful at the first record dated "00-00-". A record beyond the last row appends
    // a row, so that every counted record is shown (and saved). Returns false and changes nothing
    // for an empty text.
    bool ParseCallLog(std::string_view text);

    // Merges the one record of the output whose index word is "No.<number>": when no row holds
    // its date and no row holds its time it is inserted at the top as "No.1" with all its columns
    // (the rows below are renumbered; while recordCount is below 10 the tenth row drops off so the
    // table stays at ten rows, otherwise it grows by one). A record already listed only refreshes
    // the duration of the row showing it (the row with its date and time). Returns false for an
    // empty text.
    bool MergeCallLogRecord(std::string_view text, int number);

    // The automatic refresh: MergeCallLogRecord with number 10, 9, ..., 1 in that order.
    void MergeCallLog(std::string_view text);

    // A full fetch from the router `source` names (RouterLogSource): a table whose records came
    // from anywhere else (another router, a loaded file) is emptied first, so that one router's
    // calls are never listed or saved as another's; from the same router the parse continues from
    // recordCount as ParseCallLog does. The table remembers `source` either way.
    bool ParseCallLogFrom(const std::string& source, std::string_view text);

    // Back to the state at creation: ten placeholder rows, recordCount 0. The source is kept: the
    // next records still come from where the emptied ones did.
    void ClearCallLog();

    // Reads the call-log section [start, end) of a settings file (end exclusive, clamped to the
    // text): recordCount := 0, the source becomes kLoadedFileLogSource, then the records "No.1", "No.2", ...
    // are read from the log rows as from router lines, with commas also removed from words. Rows after the
    // last loaded record keep their contents. Returns false, changing nothing, when end < 1.
    bool LoadCallLogSection(std::string_view text, std::size_t start, std::size_t end);

    // One row's six columns in the settings file's log row layout, ending in CR LF. An empty text
    // for a row that does not exist.
    std::string CallLogRowText(int row) const;

    // The log rows of records 0 .. recordCount - 1: what Save All and the log page's Save As write
    // after the log section's header lines.
    std::string RecordRowsText() const;

    // Equal when they list the same records, wherever those came from.
    bool operator==(const CallLogTable& other) const {
        return m_rows == other.m_rows && m_recordCount == other.m_recordCount;
    }

private:
    CallLogRecord& RowForRecord(int record);
    void Renumber();

    std::vector<CallLogRecord> m_rows;
    int m_recordCount = 0;
    // Where the records came from: a RouterLogSource, kLoadedFileLogSource, or empty before any.
    std::string m_source;
};

}  // namespace dezadav
