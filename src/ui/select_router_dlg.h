#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "lang/messages.h"
#include "discovery/discovery_datagram.h"
#include "discovery/router_info.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

class QLabel;
class QTableWidget;

namespace dezadav {

class CSkinButton;
class RouterSearch;

// Where the Select Router dialog searches: the broadcast targets (or one address instead) and the
// routers' discovery port.
struct DiscoveryOptions {
    std::optional<std::string> target;  // replaces the broadcast targets when given
    std::uint16_t port = kDiscoveryPort;
};

// Select Router: searches the LAN for routers while it is open and lists one row per router that
// answers (Model, IP Address, Subnet Mask, Mac Address, Version), in answer order.
//
// It ends three ways: OK with a selected, supported router (SelectedRouter() holds its five fields);
// Exit (button, Esc, close box: the program ends); Skip (the main window goes on without a router).
// OK, Enter and a double-click on a row take the first selected row in list order; no selection
// leaves the dialog open; an unsupported model leaves it open with one line saying so below the list
// (until the selection changes or the list is searched again). Search Again empties the list and asks again;
// Address... asks one typed IPv4 address (for a router that broadcasts cannot reach) and adds its
// answer, or says that none came. The search runs until the dialog ends.
class CSelectRouterDlg : public QDialog {
    Q_OBJECT

public:
    enum class Outcome { Ok, Skip, Exit };

    // Messages (socket failure, out-of-range answers, address problems) go through `table` and
    // `port`, which must outlive the dialog.
    CSelectRouterDlg(const LanguageTable& table, MessagePort& port, DiscoveryOptions options = {},
                     QWidget* parent = nullptr);
    ~CSelectRouterDlg() override;

    Outcome LastOutcome() const { return m_outcome; }
    bool SkipMark() const { return m_skipMark; }
    // The five fields of the router chosen with OK (password empty).
    const RouterInfo& SelectedRouter() const { return m_selected; }

    // Re-reads the title, column captions and button captions from the language table.
    void Relabel();

    // How Address... asks for the address (tests replace the input box); nothing means cancelled.
    void SetAddressAsker(std::function<std::optional<QString>()> asker) { m_askAddress = std::move(asker); }
    // How long Address... waits for the answer.
    void SetAnswerWaitMs(int ms) { m_answerWaitMs = ms; }

    QTableWidget* RouterTable() const { return m_table; }
    CSkinButton* SearchButton() const { return m_search; }
    CSkinButton* AddressButton() const { return m_address; }
    CSkinButton* SkipButton() const { return m_skip; }
    CSkinButton* ExitButton() const { return m_exit; }
    CSkinButton* OkButton() const { return m_ok; }
    // The line saying the chosen model is not supported (hidden until such an OK).
    QLabel* NotSupportedLine() const { return m_notSupported; }
    // Whether the discovery socket is open right now.
    bool IsSearching() const;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartDialog();
    void SearchAgain();
    void AskAddress();
    void Skip();
    void AddRow(const RouterInfo& router);
    void CloseSearch();
    void ShowError(const MessageText& text);

    const LanguageTable& m_language;
    MessagePort& m_port;
    DiscoveryOptions m_options;
    std::unique_ptr<RouterSearch> m_finder;
    std::function<std::optional<QString>()> m_askAddress;
    int m_answerWaitMs = 2000;
    int m_answersDuringWait = 0;

    Outcome m_outcome = Outcome::Exit;
    bool m_skipMark = false;
    RouterInfo m_selected;

    QTableWidget* m_table = nullptr;
    QLabel* m_notSupported = nullptr;
    CSkinButton* m_search = nullptr;
    CSkinButton* m_address = nullptr;
    CSkinButton* m_skip = nullptr;
    CSkinButton* m_exit = nullptr;
    CSkinButton* m_ok = nullptr;
};


}  // namespace dezadav
