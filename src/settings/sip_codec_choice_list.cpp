#include "settings/sip_codec_choice_list.h"

#include <algorithm>

namespace dezadav {

ChoiceList::ChoiceList(std::vector<std::string> entries, int selected) : m_entries(std::move(entries)) {
    Select(selected);
}

std::string ChoiceList::SelectedText() const {
    return m_selected >= 0 ? m_entries[static_cast<std::size_t>(m_selected)] : std::string();
}

void ChoiceList::Select(int position) {
    m_selected = (position >= 0 && position < Count()) ? position : -1;
}

bool ChoiceList::SelectText(std::string_view text) {
    const auto it = std::find(m_entries.begin(), m_entries.end(), text);
    if (it == m_entries.end()) return false;
    m_selected = static_cast<int>(it - m_entries.begin());
    return true;
}

void ChoiceList::RemoveAt(int position) {
    if (position < 0 || position >= Count()) return;
    m_entries.erase(m_entries.begin() + position);
    if (position == m_selected) {
        m_selected = -1;
    } else if (position < m_selected) {
        --m_selected;
    }
}

void ChoiceList::InsertAt(int position, std::string text) {
    position = std::clamp(position, 0, Count());
    m_entries.insert(m_entries.begin() + position, std::move(text));
    if (m_selected >= position) ++m_selected;
}

void ChoiceList::SetText(int position, std::string text) {
    if (position < 0 || position >= Count()) return;
    m_entries[static_cast<std::size_t>(position)] = std::move(text);
}

void ChoiceList::Refill(std::vector<std::string> entries) {
    m_entries = std::move(entries);
    m_selected = -1;
}

}  // namespace dezadav
