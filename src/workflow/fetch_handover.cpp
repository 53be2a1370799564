#include "workflow/fetch_handover.h"

#include "settings/router_form_change.h"

namespace dezadav {

namespace {

UnreadAreas UnreadIn(const FetchedTexts& fetched, bool twoPort) {
    UnreadAreas unread;
    unread.dialPlan = !DialPlanOutputHoldsListing(fetched.dialPlanList);
    unread.sip = !SipOutputHoldsSetting(fetched.sipEndpt1, SipOutputKind::Endpoint) ||
                 (twoPort && !SipOutputHoldsSetting(fetched.sipEndpt2, SipOutputKind::Endpoint)) ||
                 !SipOutputHoldsSetting(fetched.sipPort, SipOutputKind::Port) ||
                 !SipOutputHoldsSetting(fetched.sipRegistrar, SipOutputKind::Registrar);
    unread.codec = !RtpOutputHoldsSetting(fetched.rtpCodec, RtpOutputKind::Codec) ||
                   !RtpOutputHoldsSetting(fetched.rtpDtmf, RtpOutputKind::Dtmf) ||
                   !RtpOutputHoldsSetting(fetched.rtpPort, RtpOutputKind::PortRange);
    return unread;
}

void ShowRouterCalls(const FetchedTexts& fetched, const ConnectedRouter& connected, SettingsPages& pages) {
    pages.CallLog().ParseCallLogFrom(RouterLogSource(connected.router.macAddress, connected.router.ipAddress),
                                     fetched.callLog);
}

}  // namespace

UnreadAreas HandOverFetchedTexts(const FetchedTexts& fetched, const ConnectedRouter& connected,
                                 SettingsPages& pages, RouterSettings& router, UserPort& port) {
    const bool twoPort = connected.IsTwoPort();
    const UnreadAreas unread = UnreadIn(fetched, twoPort);
    // The router's values come into pages that hold nothing of the router (or file) before: a value
    // this router does not report (port 2 of a one-port router, a keyword its output lacks) would
    // otherwise be shown, saved and recorded as this router's, and an apply would write it here.
    SipSettings& sip = pages.Sip() = SipSettings(pages.Language());
    CodecSettings& codec = pages.Codec() = CodecSettings(pages.Language());
    sip.SetTwoPort(twoPort);

    sip.ParseSipOutput(fetched.sipEndpt1, SipOutputKind::Endpoint, 1);
    // The controls follow the router form before anything else is parsed; a one-port router offers
    // three codecs, with the third selected, before its codec output is read.
    // A two-port router fetched after a one-port one gets all five codecs back.
    BringCodecChoicesToForm(codec, twoPort);
    port.ApplyPerModelControls(twoPort);
    if (twoPort) sip.ParseSipOutput(fetched.sipEndpt2, SipOutputKind::Endpoint, 2);
    // An answer that is no listing is a dial plan not known, never an empty one.
    if (!unread.dialPlan && pages.DialPlan().FillFromListing(fetched.dialPlanList, twoPort)) {
        router.TakeDialPlan(pages.DialPlan());
    } else {
        // No listing: the entries shown belonged to the router before, and this one's are not known.
        pages.DialPlan() = DialPlanTable();
        router.dialPlan = {};
    }
    sip.ParseSipOutput(fetched.sipPort, SipOutputKind::Port, 1);
    sip.ParseSipOutput(fetched.sipRegistrar, SipOutputKind::Registrar, 1);
    // The SIP row as the router holds it: an apply sends SIP commands only when the row differs.
    router.sipFields = sip.SipFields();
    codec.ParseRtpOutput(fetched.rtpCodec, RtpOutputKind::Codec);
    codec.ParseRtpOutput(fetched.rtpDtmf, RtpOutputKind::Dtmf);
    codec.ParseRtpOutput(fetched.rtpPort, RtpOutputKind::PortRange);
    // The codec row as the router holds it now. Kept from an earlier apply it could be a row this
    // router (or another one chosen since) does not hold, and an edit back to that row would then
    // send nothing while the apply reports success.
    router.codecFields = codec.CodecFields(true);
    ShowRouterCalls(fetched, connected, pages);
    return unread;
}

UnreadAreas TakeRouterRowsKeepingPages(const FetchedTexts& fetched, bool pagesTwoPort,
                                       const ConnectedRouter& connected, SettingsPages& pages,
                                       RouterSettings& router, UserPort& port) {
    const bool twoPort = connected.IsTwoPort();
    SipSettings& sip = pages.Sip();
    CodecSettings& codec = pages.Codec();

    // First the pages in the router's form, showing what they showed before.
    const int shownCodec = codec.Codec().Selected();
    BringSettingsToRouterForm(sip, codec, pagesTwoPort);

    // The router's rows: its outputs read into copies of the pages, as a fetch would read them into
    // the pages themselves (a value this router form does not report stays the pages' own).
    SipSettings routerSip = sip;
    routerSip.ParseSipOutput(fetched.sipEndpt1, SipOutputKind::Endpoint, 1);
    if (twoPort) routerSip.ParseSipOutput(fetched.sipEndpt2, SipOutputKind::Endpoint, 2);
    routerSip.ParseSipOutput(fetched.sipPort, SipOutputKind::Port, 1);
    routerSip.ParseSipOutput(fetched.sipRegistrar, SipOutputKind::Registrar, 1);
    CodecSettings routerCodec = codec;
    routerCodec.ParseRtpOutput(fetched.rtpCodec, RtpOutputKind::Codec);
    routerCodec.ParseRtpOutput(fetched.rtpDtmf, RtpOutputKind::Dtmf);
    routerCodec.ParseRtpOutput(fetched.rtpPort, RtpOutputKind::PortRange);
    if (!twoPort) {
        // A one-port router has no second port: nothing of one shown before may go out or be
        // recorded as this router's.
        sip.ForgetPort2();
        routerSip.ForgetPort2();
    }
    pages.DialPlan().BringToForm(twoPort);
    DialPlanTable routerDialPlan;
    if (DialPlanOutputHoldsListing(fetched.dialPlanList) &&
        routerDialPlan.FillFromListing(fetched.dialPlanList, twoPort)) {
        router.TakeDialPlan(routerDialPlan);
    } else {
        router.dialPlan = {};
    }

    if (!pagesTwoPort && twoPort) {
        // Port 2 was not on the one-port page at all: it stays as the router holds it instead of
        // going out unseen.
        sip.Port2RegisterVia() = routerSip.Port2RegisterVia();
        sip.SetPort2UserName(routerSip.Port2UserName());
        sip.SetPort2Password(routerSip.Port2Password());
        sip.Port2Expiry() = routerSip.Port2Expiry();
    }
    if (!twoPort) {
        // A codec a one-port router does not offer cannot stay shown: the router's own takes its place.
        codec.Codec().Select(
            shownCodec >= 0 && shownCodec < kOnePortCodecCount ? shownCodec : routerCodec.Codec().Selected());
    }
    // Refreshes the list texts and the port-1 user-name label for the form.
    sip.Recaption();
    port.ApplyPerModelControls(twoPort);

    // What the router did not tell cannot be compared with: the pages' values of that area are not
    // sent (the apply refuses when they would be).
    const UnreadAreas unread = UnreadIn(fetched, twoPort);
    router.sipFields = unread.sip ? sip.SipFields() : routerSip.SipFields();
    router.codecFields = unread.codec ? codec.CodecFields(true) : routerCodec.CodecFields(true);
    // The log page shows the router's calls, as after every full fetch.
    ShowRouterCalls(fetched, connected, pages);
    return unread;
}

}  // namespace dezadav
