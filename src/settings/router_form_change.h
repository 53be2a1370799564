#pragma once

#include "settings/codec_settings.h"
#include "settings/sip_settings.h"

namespace dezadav {

// Gives the codec list the choices of the router form: all five codecs for a two-port router, the
// first three for a one-port one (CodecSettings::OfferAllCodecChoices, LimitCodecChoicesToOnePort).
void BringCodecChoicesToForm(CodecSettings& codec, bool twoPort);

// Brings the SIP and codec values the pages show from the router form they were in
// (`fromTwoPort`) into the one `sip` is now set to (SipSettings::SetTwoPort), keeping their meaning:
// - each expiry list gets the new form's entries and shows the same duration; a duration the new
//   form does not offer becomes the one a router reporting it would show;
// - the port-1 registration moves between the one-port use-registrar box (None or Auto) and the
//   two-port register-via list (a WAN or LAN/VPN choice stays in the list as it was);
// - the codec list gets the new form's choices.
// Called by the workflow when the pages change form without a router read into them (a loaded file,
// the router chosen after Skip).
void BringSettingsToRouterForm(SipSettings& sip, CodecSettings& codec, bool fromTwoPort);

}  // namespace dezadav
