#pragma once

#include <optional>
#include <string>

#include "discovery/router_info.h"
#include "lang/message_port.h"
#include "settings/settings_difference.h"

namespace dezadav {

// How the router selection ended.
enum class SelectionOutcome {
    Ok,    // a supported router was chosen; its five fields are in RouterSelection::router
    Skip,  // the user goes on without a router (the skip mark is set)
    Exit,  // the user ends the program
};

struct RouterSelection {
    SelectionOutcome outcome = SelectionOutcome::Exit;
    // With Ok: model name, IP address, subnet mask, MAC address and firmware version of the chosen
    // router. The password field is not used here; it comes from ConfirmPassword.
    RouterInfo router;
};

// What to do with edits that were neither applied nor saved when they would be lost.
enum class UnsavedEditsChoice {
    Apply,    // apply them to the router of the strip first
    Discard,  // lose them
    Cancel,   // stay with the router and its edits
};

// Who started a router exchange. Keys typed during an automatic refresh belong to what the user is
// doing and are delivered once it is over; keys typed while waiting for an exchange the user started
// are not.
enum class ExchangeCause { UserAction, AutomaticRefresh };

// What the router-information strip of the main window shows. Every router exchange takes its
// address from `ip`, and every one-port/two-port decision is made on `model`.
struct RouterStrip {
    std::string model;
    std::string version;
    std::string ip;
    std::string mac;

    bool operator==(const RouterStrip&) const = default;
};

// Everything the router workflow needs from the person (or script) in front of it. The window
// implements it with dialogs, dezadav-cli non-interactively from its options, and tests with a
// script. All calls come on the thread that runs the workflow; the dialog calls are modal: they
// return only when the user has answered (events keep being dispatched meanwhile, so timers run).
//
// The hooks in the second half (window effects) have empty defaults: a front end without a window
// ignores them.
class UserPort {
public:
    virtual ~UserPort() = default;

    // --- dialogs ---

    // The router selection: searches for routers, lets the user pick a supported one, skip, or exit.
    virtual RouterSelection SelectRouter() = 0;

    // The password confirmation for `router` (its five fields; the password field is empty). Returns
    // the typed password (possibly empty) for OK, nothing for Cancel. After a failed fetch it is
    // called again with the same fields; the typed password starts empty each time.
    virtual std::optional<std::string> ConfirmPassword(const RouterInfo& router) = 0;

    // The Connect sequence is over with the confirmation (the window closes it; called once per
    // sequence that opened it, whatever the outcome).
    virtual void ClosePasswordConfirmation() {}

    // Where every message of the workflow and of the router sessions goes.
    virtual MessagePort& Messages() = 0;

    // The MAC address of the router being connected when the selection gave none and it became known
    // while the exchange ran (its discovery answer came during the login); empty otherwise.
    virtual std::string LearnedMacAddress() { return {}; }

    // An apply would lose settings the user may not expect to lose (`warning` says which, as a
    // question). True to apply anyway, false to send nothing. The window asks Yes / No; the command
    // line answers with its --force option.
    virtual bool ApplyDespite(const std::string& warning) = 0;

    // The record of the router's settings every apply takes first could not be written (`question`
    // says so and why). True to apply without a record, false to send nothing. A front end that
    // cannot ask sends nothing (the command line switches the history off with --no-history instead).
    virtual bool ApplyWithoutRecord(const std::string& question) {
        (void)question;
        return false;
    }

    // The last word before an apply sends anything: `changes` are the fields `router` will hold
    // differently afterwards (empty when the commands only send again what the router is believed to
    // hold). True to send, false to send nothing. A front end that shows nothing sends.
    virtual bool ConfirmChanges(const RouterStrip& router, const std::vector<FieldDifference>& changes) {
        (void)router;
        (void)changes;
        return true;
    }

    // The pages hold edits that were neither applied nor saved, and what the user just chose (leave
    // the program, fetch a router over them) would lose them. A front end that cannot ask loses them.
    virtual UnsavedEditsChoice AskAboutUnsavedEdits() { return UnsavedEditsChoice::Discard; }

    // A save-file / open-file choice for a settings file: filter "CSV file (*.csv)", default extension
    // ".csv", confirmation before overwriting when saving. Returns the path, nothing for Cancel.
    virtual std::optional<std::string> ChooseFileToSave() = 0;
    virtual std::optional<std::string> ChooseFileToOpen() = 0;

    // The progress window of a router exchange: shown with its one-line text before the exchange
    // starts, hidden when it ends. A log refresh while the main window is hidden shows none.
    virtual void ShowProgress(const std::string& text, ExchangeCause cause) = 0;
    virtual void HideProgress() = 0;

    // --- window effects (empty by default) ---

    // Step 1 of every Connect sequence: fade the window in from alpha 5 and set its captions.
    virtual void FadeInAndCaption() {}

    // Show the controls for the router form (two-port: port-2 and register-via controls; one-port:
    // the use-registrar box). Called between the first two hand-overs of a successful fetch, after
    // the workflow has already trimmed the codec choices of a one-port model.
    virtual void ApplyPerModelControls(bool twoPort) { (void)twoPort; }

    // The Auto Refresh box of the log page: `ticked` is autoRefresh, `enabled` whether the box can
    // be clicked. Called whenever either changes (EnableAutoRefresh).
    virtual void ShowAutoRefresh(bool ticked, bool enabled) {
        (void)ticked;
        (void)enabled;
    }

    // The strip changed (step 5 of the Connect sequence).
    virtual void ShowStrip(const RouterStrip& strip) { (void)strip; }

    // The models behind the pages changed (fetch, refresh merge, load, apply): the pages re-read them.
    virtual void ModelsChanged() {}

    // Exit in the router selection: the main window is destroyed and the program ends.
    virtual void EndProgram() {}

    // True while the user is answering one of the program's dialogs, message boxes or file
    // choices; the automatic refresh waits meanwhile. A front end without dialogs never is.
    virtual bool UserIsInDialog() const { return false; }
};

}  // namespace dezadav
