// Feeds arbitrary bytes to the SIP output reader as each of the three output kinds, on both router
// forms, and checks what must hold whatever the router prints.
//
// Byte 0 chooses the case: bits 0-1 the kind (3: a settings-file SIP row instead of an output),
// bit 2 the port (1 or 2), bit 3 the router form; the remaining bytes are the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "lang/language_table.h"
#include "settings/sip_settings.h"

namespace {

using dezadav::fuzzing::Require;
using dezadav::fuzzing::SplitAtCommas;

void CheckInvariants(const dezadav::SipSettings& sip) {
    Require(sip.SipFields().size() == dezadav::kSipRowFieldCount);
    for (const dezadav::ChoiceList* list :
         {&sip.Port1Expiry(), &sip.Port2Expiry(), &sip.Port1RegisterVia(), &sip.Port2RegisterVia()}) {
        Require(list->Selected() >= -1 && list->Selected() < list->Count());
    }
    Require(sip.Port1RegisterVia().Count() == 4 && sip.Port2RegisterVia().Count() == 4);
    for (const dezadav::ChoiceList* list : {&sip.Port1Expiry(), &sip.Port2Expiry()}) {
        Require(list->Count() == dezadav::kFullExpiryCount || list->Count() == dezadav::kTwoPortExpiryCount);
    }
}

// After a parse on a two-port router both expiry lists have the eight two-port entries.
void CheckTwoPortLists(const dezadav::SipSettings& sip) {
    if (!sip.IsTwoPort()) return;
    Require(sip.Port1Expiry().Count() == dezadav::kTwoPortExpiryCount);
    Require(sip.Port2Expiry().Count() == dezadav::kTwoPortExpiryCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const dezadav::LanguageTable language;
    const unsigned mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    dezadav::SipSettings sip(language);
    sip.SetTwoPort((mode & 8) != 0);
    const int port = (mode & 4) ? 2 : 1;
    const unsigned kind = mode & 3;
    if (kind == 3) {
        // A row is loaded into lists in the router's form, as after a fetch.
        sip.BringExpiryListToForm(sip.Port1Expiry());
        sip.BringExpiryListToForm(sip.Port2Expiry());
        dezadav::SipSettings again = sip;
        const std::vector<std::string> fields = SplitAtCommas(text);
        sip.LoadSipRow(fields);
        CheckInvariants(sip);
        // Whatever was loaded, the row it gives loads back to itself.
        const std::vector<std::string> row = sip.SipFields();
        again.LoadSipRow(row);
        Require(again.SipFields() == row);
        return 0;
    }
    const bool parsed = sip.ParseSipOutput(text, static_cast<dezadav::SipOutputKind>(kind), port);
    Require(parsed == !text.empty());
    CheckInvariants(sip);
    if (parsed) CheckTwoPortLists(sip);
    // A second parse of the same output gives the same values.
    const std::vector<std::string> first = sip.SipFields();
    sip.ParseSipOutput(text, static_cast<dezadav::SipOutputKind>(kind), port);
    CheckInvariants(sip);
    Require(sip.SipFields() == first);
    return 0;
}
