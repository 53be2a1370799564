#pragma once

#include <string>

#include "router_state.h"

namespace dezadav::routersim {

// The texts the router prints for its fetch commands, after the echoed line break of the command line
// (line feed, carriage return) and before the prompt. Every line ends with line feed then carriage
// return, as the router's command line does.

// "voip dial_plan list -t": one block per entry in use, in index order. Values sit at fixed byte
// positions from the line feed that ends the previous block (for the first block, the line feed of the
// echoed line break):
//   "Dialplan idx: " <index> " " <"active" | "inactive">
//   "  phone number    : " <phone>       (20 characters before the value)
//   "port: " <user>                       (6)
//   "domain:  " <domain>                  (9)
// one-port routers go on with
//   "loop: " <0|1|2>                      (6)
//   "backup number: " <backup>            (15)
// and two-port routers end each block with an empty line instead.
std::string DialPlanListing(const RouterState& state);

// "voip sip endpt1" / "voip sip endpt2" (port 1 or 2): lines with "registrar:", "name:", "password:"
// and "seconds:" each followed by its value.
std::string SipEndpointOutput(const RouterState& state, int port);
// "voip sip port": "SIP port number: <port>".
std::string SipPortOutput(const RouterState& state);
// "voip sip registrar": "Now: <registrar>".
std::string SipRegistrarOutput(const RouterState& state);
// "voip rtp codec": "codec type = <n> (...)" and "packet size = <n> (...)".
std::string RtpCodecOutput(const RouterState& state);
// "voip rtp dtmf": "mode: <n> (...)" and "payload type: <n>".
std::string RtpDtmfOutput(const RouterState& state);
// "voip rtp port": "start port: <n>" and "end port: <n>".
std::string RtpPortOutput(const RouterState& state);
// "voip sip calllog": ten lines "No.<n>" TAB date TAB time TAB duration TAB direction TAB address,
// record 1 the newest; an empty slot reads "No.<n>	00-00-    0	00:00:00	0	-	".
std::string CallLogOutput(const RouterState& state);

}  // namespace dezadav::routersim
