#pragma once

#include "session/fetched_texts.h"
#include "settings/router_settings.h"
#include "workflow/connected_router.h"
#include "workflow/settings_pages.h"
#include "workflow/user_port.h"

namespace dezadav {

// The settings areas the router's answers may fail to hold.
struct UnreadAreas {
    bool dialPlan = false;
    bool sip = false;
    bool codec = false;
    bool Any() const { return dialPlan || sip || codec; }
};

// The router's answers of a full fetch going into the pages and into what the router holds
// (`router`), for the router `connected` they came from. Both return the areas the answers did not
// hold; the call log page shows the router's calls afterwards.

// Step 8 of the Connect sequence: every fetched text to its model, in the fixed order; what was
// read becomes what the router holds. The per-model controls are set (UserPort::ApplyPerModelControls)
// once the codec choices follow the router form, before anything else is read.
UnreadAreas HandOverFetchedTexts(const FetchedTexts& fetched, const ConnectedRouter& connected,
                                 SettingsPages& pages, RouterSettings& router, UserPort& port);

// After Skip: the fetched settings become what the router holds, while the pages keep their values,
// brought into the fetched router's form (`pagesTwoPort`: the form they were in).
UnreadAreas TakeRouterRowsKeepingPages(const FetchedTexts& fetched, bool pagesTwoPort,
                                       const ConnectedRouter& connected, SettingsPages& pages,
                                       RouterSettings& router, UserPort& port);

}  // namespace dezadav
