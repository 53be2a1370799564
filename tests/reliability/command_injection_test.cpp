// No value can make the program type a control byte into the router's command line, and so no value
// can end a command early and start another: every control byte (0x00-0x1F, 0x7F) in every field
// that reaches the router, whether typed by the user, loaded from a settings file or read from a
// router's output, is refused before the connection is even made.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "emulated_workflow.h"
#include "router_state.h"
#include "session/apply_commands.h"
#include "support/emulated_program.h"

namespace dezadav::testing {
namespace {

constexpr const char* kRefusal = "A value contains a control character and cannot be sent to the router!";

std::vector<char> ControlBytes() {
    std::vector<char> bytes;
    for (int b = 0; b < 0x20; ++b) bytes.push_back(static_cast<char>(b));
    bytes.push_back('\x7f');
    return bytes;
}

std::string Hex(char byte) {
    static const char* digits = "0123456789ABCDEF";
    const auto b = static_cast<unsigned char>(byte);
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

// True when a send carries a control byte other than the lone CR that ends a line.
bool CarriesControlByte(const std::string& sent) {
    return sent != "\r" && ContainsControlByte(sent);
}

// The workflow over the emulator's router in simulated time, with the values a test puts into its state.
struct OwnRouter {
    EmulatedLine router;
};
class SimulatedProgram : public OwnRouter, public Program {
public:
    explicit SimulatedProgram(bool twoPort)
        : OwnRouter{EmulatedLine(twoPort ? kTwoPortModel : kOnePortModel)}, Program(router), m_twoPort(twoPort) {}
    const char* Model() const { return m_twoPort ? kTwoPortModel : kOnePortModel; }

    ConnectOutcome Connect(const std::string& password = "admin") { return Program::Connect(m_twoPort, password); }

    // Runs an apply and checks that it was refused before anything was sent, naming `field`.
    void ExpectRefusedApply(const std::string& field) {
        const int creates = transport.creates;
        const std::size_t sends = transport.sends.size();
        port.messages.shown.clear();
        EXPECT_EQ(ApplyOutcome::Failed, workflow.ApplyFlow());
        EXPECT_EQ(std::vector<std::string>{std::string(kRefusal) + " (" + field + ")"}, port.MessageTexts());
        EXPECT_EQ(creates, transport.creates) << "a connection was made";
        EXPECT_EQ(sends, transport.sends.size()) << "bytes were sent";
    }

    bool m_twoPort;
};

// ------------------------------------------------------------------ every byte in every field

// One field of what an apply takes, and whether its value is typed into a command as text.
struct ApplyField {
    std::string name;
    std::function<void(ApplyTexts&, const std::string&)> set;
    bool sentAsText;  // on the router form being tested
};

std::vector<ApplyField> ApplyFields(bool twoPort) {
    std::vector<ApplyField> fields;
    auto entry = [&](std::string name, std::string DialPlanEntry::*member, bool text) {
        fields.push_back({"dial plan " + name,
                          [member](ApplyTexts& t, const std::string& v) { t.dialPlanRows[0].*member = v; },
                          text});
    };
    entry("index", &DialPlanEntry::index, true);
    entry("phone number", &DialPlanEntry::phoneNumber, true);
    entry("name", &DialPlanEntry::name, false);
    entry("SIP address", &DialPlanEntry::sipAddress, true);
    // The loop-through is held as a code: no text of a page reaches its place in the command.
    entry("backup number", &DialPlanEntry::backupNumber, !twoPort);
    entry("status", &DialPlanEntry::statusMark, false);
    const std::vector<bool> sipText{true, true, false, true, true, false, false, true, true, false};
    for (std::size_t i = 0; i < sipText.size(); ++i) {
        // A one-port router has no second voice port: its fields are not sent at all.
        fields.push_back({"SIP field " + std::to_string(i),
                          [i](ApplyTexts& t, const std::string& v) { t.sipRow[i] = v; },
                          sipText[i] && (twoPort || i < 6)});
    }
    for (std::size_t i = 0; i < 6; ++i) {
        fields.push_back({"codec field " + std::to_string(i),
                          [i](ApplyTexts& t, const std::string& v) { t.codecRow[i] = v; }, i != 2});
    }
    return fields;
}

class EveryFieldTest : public ::testing::TestWithParam<bool> {};

// Each control byte in the middle of each field's value. A field typed as text refuses the whole
// apply before the connection; a field that is only read as a number or compared with fixed texts
// may go out, but then without the byte. Either way no byte below 0x20 (other than the CR closing a
// line) and no 0x7F ever leaves.
TEST_P(EveryFieldTest, ControlByteInAnyValueNeverReachesTheRouter) {
    const bool twoPort = GetParam();
    SimulatedProgram program(twoPort);
    RouterSession& dlg = program.session;
    SessionRequest request;
    request.routerIp = "127.0.0.2";
    request.modelName = program.Model();
    request.password = "admin";
    request.mode = SessionMode::ApplySettings;
    int refused = 0;
    int applied = 0;
    for (const ApplyField& field : ApplyFields(twoPort)) {
        for (const char byte : ControlBytes()) {
            SCOPED_TRACE(field.name + " with " + Hex(byte));
            ApplyTexts texts;
            texts.dialPlanRows = {DialPlanEntry{"4", "44", "Somebody", "u@d", LoopThrough::Isdn, "9", "V"}};
            texts.sipRow = {"5062", "reg.example.net", "1", "alice", "pw1", "3", "1", "bob", "pw2", "4"};
            texts.codecRow = {"2", "1", "1", "101", "10050", "15000"};
            RouterSettings held;
            held.sipFields = {"5060", "reg.example.net", "1", "alice", "pw1", "3", "1", "bob", "pw2", "4"};
            held.codecFields = {"2", "1", "0", "101", "10050", "15000"};
            // The byte in the middle of a value that would otherwise go out as it is.
            const std::string value = "1" + std::string(1, byte) + "2";
            field.set(texts, value);
            request.plan = BuildApplyPlan(held, texts, twoPort);

            const std::size_t sendsBefore = program.transport.sends.size();
            const int createsBefore = program.transport.creates;
            program.port.messages.shown.clear();
            const bool ok = dlg.Run(request).ok;
            std::vector<std::string> sent(program.transport.sends.begin() + sendsBefore,
                                          program.transport.sends.end());
            for (const std::string& s : sent)
                ASSERT_FALSE(CarriesControlByte(s)) << ::testing::PrintToString(s);
            if (field.sentAsText) {
                EXPECT_FALSE(ok);
                ASSERT_EQ(1u, program.port.messages.shown.size());
                EXPECT_EQ(0u, program.port.messages.shown[0].text.rfind(kRefusal, 0))
                    << program.port.messages.shown[0].text;
                EXPECT_EQ(createsBefore, program.transport.creates);
                EXPECT_TRUE(sent.empty());
            }
            if (ok) {
                ++applied;
            } else {
                ++refused;
            }
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    // Both kinds occurred: the check above saw refusals and applies that went out.
    EXPECT_GT(refused, 0);
    EXPECT_GT(applied, 0);
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, EveryFieldTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "TwoPort" : "OnePort"; });

// ------------------------------------------------------------------ where values come from

class ValueSourceTest : public ::testing::TestWithParam<bool> {};

// Typed by the user: in a dial-plan entry, in the SIP page, in the codec page, and as the password.
TEST_P(ValueSourceTest, FromTheUser) {
    SimulatedProgram program(GetParam());
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect());
    RouterWorkflow& workflow = program.workflow;
    for (const char byte : ControlBytes()) {
        SCOPED_TRACE(Hex(byte));
        const std::string bad = "12" + std::string(1, byte) + "voip dial_plan del 1";

        DialPlanEntry entry = workflow.Pages().DialPlan().Entry(4);
        const DialPlanEntry before = entry;
        entry.phoneNumber = bad;
        workflow.Pages().DialPlan().SetEntry(4, entry);
        program.ExpectRefusedApply("dial plan entry 5, phone number");
        workflow.Pages().DialPlan().SetEntry(4, before);

        const std::string name = workflow.Pages().Sip().SipFields()[3];
        workflow.Pages().Sip().SetPort1UserName(bad);
        program.ExpectRefusedApply("SIP port 1 name");
        workflow.Pages().Sip().SetPort1UserName(name);

        const std::string payload = workflow.Pages().Codec().CodecFields(true)[3];
        workflow.Pages().Codec().SetPayloadType(bad);
        program.ExpectRefusedApply("DTMF payload type");
        workflow.Pages().Codec().SetPayloadType(payload);

        // The password: refused before the connection, the confirmation comes back.
        const int creates = program.transport.creates;
        program.port.messages.shown.clear();
        program.port.selections.push_back(Choose(program.m_twoPort));
        program.port.passwords = {"admin" + std::string(1, byte) + "x", std::nullopt};
        EXPECT_EQ(ConnectOutcome::Cancelled, workflow.ConnectSequence());
        EXPECT_EQ(std::vector<std::string>{std::string(kRefusal) + " (password)"},
                  program.port.MessageTexts());
        EXPECT_EQ(creates, program.transport.creates);
        if (::testing::Test::HasFailure()) break;
    }
    // With the values put back and the password confirmed again nothing is refused or left to send.
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect());
    program.port.messages.shown.clear();
    EXPECT_EQ(ApplyOutcome::NoChanges, program.workflow.ApplyFlow());
    EXPECT_EQ(std::vector<std::string>{"There are no changes to apply."}, program.port.MessageTexts());
}

// Loaded from a settings file. A CR ends a field there and a LF its row, but every other control byte
// stays inside its field, which refuses the whole file before any page changes.
TEST_P(ValueSourceTest, FromASettingsFile) {
    SimulatedProgram program(GetParam());
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect());
    const auto path =
        std::filesystem::temp_directory_path() / ("dezadav_injection_" + std::to_string(::getpid()) + ".csv");
    struct Section {
        std::function<std::string(const std::string&)> file;
        std::string field;
    };
    const std::vector<Section> sections{
        {[](const std::string& v) { return "5," + v + ",name,u@d,,,V\r\n\r\n;LIST\r\n"; },
         "Dial Plan 5 \xC2\xB7 Phone Number"},
        {[](const std::string& v) { return "5,55,name,u@" + v + ",,,V\r\n\r\n;LIST\r\n"; },
         "Dial Plan 5 \xC2\xB7 SIP Address"},
        {[](const std::string& v) { return "5060," + v + ",1,alice,pw,3,0,bob,pw2,4\r\n\r\n;SIP\r\n"; },
         "SIP \xC2\xB7 Registrar"},
        {[](const std::string& v) { return "5060,reg,1,alice," + v + ",3,0,bob,pw2,4\r\n\r\n;SIP\r\n"; },
         "Port 1 \xC2\xB7 Password"},
        {[](const std::string& v) { return "G.711MU (64Kpbs),20 ms,1,101,10050," + v + "\r\n\r\n;END\r\n"; },
         "RTP \xC2\xB7 Dynamic RTP port end"},
    };
    const std::string pagesBefore = program.workflow.Files().SettingsFileText();
    for (const char byte : ControlBytes()) {
        if (byte == '\r' || byte == '\n') continue;
        SCOPED_TRACE(Hex(byte));
        for (const Section& section : sections) {
            SCOPED_TRACE(section.field);
            const std::string value = "7" + std::string(1, byte) + "voip dial_plan del 1";
            std::ofstream(path, std::ios::binary) << section.file(value);
            program.port.messages.shown.clear();
            EXPECT_EQ(FileOutcome::Refused, program.workflow.Files().LoadSettingsFile(path.string()));
            ASSERT_EQ(1u, program.port.messages.shown.size());
            EXPECT_NE(std::string::npos, program.port.messages.shown[0].text.find(section.field));
            EXPECT_EQ(pagesBefore, program.workflow.Files().SettingsFileText()) << "no page changed";
        }
        if (::testing::Test::HasFailure()) break;
    }
    std::filesystem::remove(path);
}

// Read from a router's output: values a real router would refuse to store, printed in its usual
// forms. What the readers take in is refused once the user's next apply would send it.
TEST_P(ValueSourceTest, FromARoutersOutput) {
    const bool twoPort = GetParam();
    int taken = 0;
    for (const char byte : ControlBytes()) {
        SCOPED_TRACE(Hex(byte));
        SimulatedProgram program(twoPort);
        routersim::RouterState state = routersim::DefaultRouterState(twoPort);
        const std::string bad = "1999" + std::string(1, byte) + "voip dial_plan del 1";
        state.dialPlan[0].phone = bad;
        state.accounts[0].name = bad;
        state.rtpEnd = bad;
        program.router.router.state = state;
        ASSERT_EQ(ConnectOutcome::Connected, program.Connect());
        const std::size_t sendsAfterFetch = program.transport.sends.size();

        // The user touches entry 1 (its status), the SIP password and the payload type: each apply
        // would now send the router's own odd value along.
        DialPlanEntry entry = program.workflow.Pages().DialPlan().Entry(0);
        const bool phoneHasByte = ContainsControlByte(entry.phoneNumber);
        entry.statusMark = entry.statusMark == "V" ? "-" : "V";
        if (entry.phoneNumber.empty()) entry.phoneNumber = "1";
        program.workflow.Pages().DialPlan().SetEntry(0, entry);
        program.workflow.Pages().Sip().SetPort1Password("changed");
        program.workflow.Pages().Codec().SetPayloadType("100");
        program.port.messages.shown.clear();
        const ApplyOutcome outcome = program.workflow.ApplyFlow();
        const bool modelsHoldByte = phoneHasByte ||
                                    ContainsControlByte(program.workflow.Pages().Sip().SipFields()[3]) ||
                                    ContainsControlByte(program.workflow.Pages().Codec().CodecFields(true)[5]);
        for (std::size_t i = sendsAfterFetch; i < program.transport.sends.size(); ++i)
            ASSERT_FALSE(CarriesControlByte(program.transport.sends[i]))
                << ::testing::PrintToString(program.transport.sends[i]);
        if (modelsHoldByte) {
            ++taken;
            EXPECT_EQ(ApplyOutcome::Failed, outcome);
            ASSERT_EQ(1u, program.port.messages.shown.size());
            EXPECT_EQ(0u, program.port.messages.shown[0].text.rfind(kRefusal, 0));
            EXPECT_EQ(sendsAfterFetch, program.transport.sends.size());
        } else {
            // The readers left the byte out (a line break ends the value, for example): what is left
            // goes out, unless it is no port number or no single word any more.
            const std::vector<std::string> shown = program.port.MessageTexts();
            EXPECT_TRUE(outcome == ApplyOutcome::Applied ||
                        (shown.size() == 1 && (shown[0].starts_with("A value is outside the range") ||
                                               shown[0].starts_with("A value holds a space"))))
                << ::testing::PrintToString(shown);
        }
    }
    // Most bytes do reach the models through the readers; those are the cases that matter here.
    EXPECT_GE(taken, 20);
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, ValueSourceTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "TwoPort" : "OnePort"; });

// The same through the real socket and the emulator: a settings file whose phone number carries an
// escape byte and a second command is refused as it is loaded. Nothing reaches the router.
TEST(InjectionAgainstTheEmulatorTest, ControlByteInALoadedFieldSendsNothing) {
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(kTwoPortForm));
    const auto path = std::filesystem::temp_directory_path() /
                      ("dezadav_injection_lf_" + std::to_string(::getpid()) + ".csv");
    std::ofstream(path, std::ios::binary) << "5,55\x1bvoip dial_plan del 1,name,u@d,,,V\r\n\r\n;LIST\r\n";
    run.sim.ClearCommandLog();
    EXPECT_EQ(FileOutcome::Refused, run.workflow.Files().LoadSettingsFile(path.string()));
    std::filesystem::remove(path);
    EXPECT_EQ(ApplyOutcome::NoChanges, run.workflow.ApplyFlow());
    EXPECT_TRUE(run.sim.CommandLog().empty());
}

}  // namespace
}  // namespace dezadav::testing
