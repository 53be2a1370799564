#pragma once

#include "discovery/router_info.h"
#include "history/settings_history.h"
#include "settings/router_model.h"
#include "workflow/user_port.h"

namespace dezadav {

// The router the window is connected to: the one record of which router that is. The strip shows
// it, every exchange goes to it with its confirmed password, the pages follow its form and its
// records are kept under its key. `skipMark` is set after Skip: the pages then belong to no router
// and the next apply asks for one.
struct ConnectedRouter {
    RouterInfo router;
    bool skipMark = false;

    RouterStrip Strip() const {
        return RouterStrip{router.modelName, router.firmwareVersion, router.ipAddress, router.macAddress};
    }
    // The two-port test on the strip's Model field.
    bool IsTwoPort() const { return IsTwoPortModel(router.modelName); }
    // True while the pages belong to a router read from (not after Skip, not before any router).
    bool HoldsPages() const { return !skipMark && !router.modelName.empty(); }
    // True when there is a router the history and an undo can speak of.
    bool Known() const { return !skipMark && !router.ipAddress.empty(); }
    // The router as the history keys it (by MAC, by IP without one).
    HistoryRouter HistoryKey() const {
        return HistoryRouter{router.macAddress, router.ipAddress, router.modelName};
    }
};

}  // namespace dezadav
