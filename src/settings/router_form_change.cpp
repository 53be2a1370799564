#include "settings/router_form_change.h"

#include <cstddef>
#include <cstdint>

namespace dezadav {

namespace {

// Brings an expiry list into the form `sip` is set to while keeping the duration it shows; a
// duration the form does not offer becomes the one a router reporting it would show.
void KeepExpiryDuration(const SipSettings& sip, ChoiceList& list) {
    const int shown = list.Selected();
    const int firstShown = list.Count() <= kTwoPortExpiryCount ? kFullExpiryCount - kTwoPortExpiryCount : 0;
    sip.BringExpiryListToForm(list);
    if (shown < 0 || shown + firstShown >= kFullExpiryCount) return;
    const auto seconds =
        static_cast<std::int32_t>(kExpirySeconds[static_cast<std::size_t>(shown + firstShown)]);
    list.Select(ExpiryPositionForSeconds(seconds, sip.IsTwoPort()));
}

}  // namespace

void BringCodecChoicesToForm(CodecSettings& codec, bool twoPort) {
    if (twoPort) {
        codec.OfferAllCodecChoices();
    } else {
        codec.LimitCodecChoicesToOnePort();
    }
}

void BringSettingsToRouterForm(SipSettings& sip, CodecSettings& codec, bool fromTwoPort) {
    const bool twoPort = sip.IsTwoPort();
    KeepExpiryDuration(sip, sip.Port1Expiry());
    KeepExpiryDuration(sip, sip.Port2Expiry());
    const int via = sip.Port1RegisterVia().Selected();
    if (!fromTwoPort && twoPort && via <= kRegisterViaAuto) {
        // The one-port page showed the registration as the use-registrar box.
        sip.Port1RegisterVia().Select(sip.UseRegistrar() ? kRegisterViaAuto : kRegisterViaNone);
    } else if (fromTwoPort && !twoPort && (via == kRegisterViaNone || via == kRegisterViaAuto)) {
        sip.SetUseRegistrar(via == kRegisterViaAuto);
    }
    BringCodecChoicesToForm(codec, twoPort);
}

}  // namespace dezadav
