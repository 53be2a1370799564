#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// The contents of one drop-down list of the SIP or codec page: its entry texts in order and the
// position of the selected entry (-1: nothing selected). The models keep every list here so that
// the pages only mirror them.
//
// Removing or inserting entries keeps the selection on the same entry (its position moves with it);
// removing the selected entry leaves the list without a selection.
class ChoiceList {
public:
    ChoiceList() = default;
    // `selected` outside the entries means no selection.
    ChoiceList(std::vector<std::string> entries, int selected);

    const std::vector<std::string>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    int Selected() const { return m_selected; }
    // Text of the selected entry; empty when nothing is selected.
    std::string SelectedText() const;

    // Selects `position`; a position that is no entry of the list clears the selection.
    void Select(int position);
    // Selects the first entry whose text equals `text` byte for byte and returns true; when no entry
    // is equal the list is left as it was and false is returned.
    bool SelectText(std::string_view text);

    // Removes the entry at `position` (nothing happens for a position outside the list).
    void RemoveAt(int position);
    // Inserts `text` before `position` (clamped to 0..Count()).
    void InsertAt(int position, std::string text);
    // Replaces the text of the entry at `position`; the selection stays where it is.
    void SetText(int position, std::string text);
    // Empties the list and fills it with `entries`; nothing is selected afterwards.
    void Refill(std::vector<std::string> entries);

    bool operator==(const ChoiceList&) const = default;

private:
    std::vector<std::string> m_entries;
    int m_selected = -1;
};

}  // namespace dezadav
