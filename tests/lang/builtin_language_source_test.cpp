#include "lang/builtin_language_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lang/language_table.h"
#include "support/process_language.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::RecordingMessagePort;

struct BuiltinFile {
    int number;
    const char* name;
};
constexpr BuiltinFile kBuiltinFiles[] = {
    {0, "english.lng"}, {1, "chinese_simplified.lng"}, {2, "chinese_traditional.lng"}};

std::string BuiltinBytes(int number) {
    const std::optional<std::string> bytes = BuiltinLanguageSource()(number);
    if (!bytes) ADD_FAILURE() << "language " << number << " is not built in";
    return bytes.value_or(std::string());
}

LanguageTable BuiltinTable(int number) {
    LanguageTable table(BuiltinLanguageSource());
    RecordingMessagePort port;
    table.LoadLanguage(number, &port);
    EXPECT_TRUE(port.shown.empty()) << "language " << number;
    return table;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// Keys of the table in file order, each as written.
std::vector<std::string> KeysOf(const LanguageTable& table) {
    std::vector<std::string> keys;
    for (const std::string& entry : table.Entries()) keys.push_back(entry.substr(0, entry.find('[')));
    return keys;
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        if (lead < 0x80) {
            extra = 0;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= text.size() && extra > 0) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

bool HasChineseCharacter(const std::string& text) {
    // UTF-8 of the CJK ideographs U+4E00..U+9FFF starts with a byte 0xE4..0xE9.
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xE4 && byte <= 0xE9) return true;
    }
    return false;
}

// Every "%" sequence of a text, in order ("%s", "%d", ...), so formats can be compared.
std::vector<std::string> PlaceholdersOf(const std::string& text) {
    std::vector<std::string> found;
    for (std::size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i + 2)) {
        found.push_back(text.substr(i, 2));
    }
    return found;
}

TEST(BuiltinLanguageFiles, OnlyTheThreeLanguagesAreBuiltIn) {
    const LanguageSource source = BuiltinLanguageSource();
    for (const BuiltinFile& file : kBuiltinFiles) EXPECT_TRUE(source(file.number).has_value()) << file.name;
    EXPECT_FALSE(source(3).has_value());
    EXPECT_FALSE(source(-1).has_value());
    EXPECT_FALSE(source(100).has_value());
}

TEST(BuiltinLanguageFiles, AreWrittenInTheLanguageFileLayout) {
    for (const BuiltinFile& file : kBuiltinFiles) {
        SCOPED_TRACE(file.name);
        const std::string bytes = BuiltinBytes(file.number);
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(IsValidUtf8(bytes));

        std::vector<std::string> lines = SplitCrLf(bytes);
        if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the final CR LF
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.front(), std::string("; ") + file.name);
        EXPECT_EQ(lines.back(), ";END  <- Don't modify this");
        EXPECT_EQ(bytes.find(";END"), bytes.rfind(";END"))
            << "the end marker must stand only on the last line";

        // Every line ends with CR LF (no stray CR or LF inside a line), stays within 500 bytes,
        // and is either blank, a comment, or an entry the reader accepts, so no intended entry
        // can silently vanish.
        LanguageTable table;
        std::size_t intendedEntries = 0;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            const std::string& line = lines[i];
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "line " << i + 1;
            EXPECT_LE(line.size(), 500u) << "line " << i + 1;
            if (line.empty() || line[0] == ';') continue;
            ++intendedEntries;
            table.LoadFromBytes(line + "\r\n");
            EXPECT_EQ(table.Entries().size(), 1u) << "line " << i + 1 << " is not an entry: " << line;
            const std::size_t open = line.find('[');
            EXPECT_EQ(open, line.rfind('[')) << "line " << i + 1 << " holds more than one '['";
            EXPECT_EQ(line.find(']'), line.size() - 1) << "line " << i + 1 << " must end with its only ']'";
        }
        EXPECT_EQ(BuiltinTable(file.number).Entries().size(), intendedEntries);
    }
}

TEST(BuiltinLanguageFiles, HoldTheSameKeysEachOnce) {
    std::map<int, std::set<std::string>> keySets;
    for (const BuiltinFile& file : kBuiltinFiles) {
        SCOPED_TRACE(file.name);
        std::set<std::string>& keys = keySets[file.number];
        for (const std::string& key : KeysOf(BuiltinTable(file.number))) {
            EXPECT_TRUE(keys.insert(Upper(key)).second) << "key written twice: " << key;
        }
        // The codec page asks for Codec_Codec5; the files write it with a small "c".
        const std::vector<std::string> written = KeysOf(BuiltinTable(file.number));
        EXPECT_NE(std::find(written.begin(), written.end(), "Codec_codec5"), written.end());
        // Shown by the SIP page of one-port routers in every language.
        EXPECT_EQ(keys.count("SIP_5870NAME"), 1u);
        // Its message is a fixed English text in every language.
        EXPECT_EQ(keys.count("MESSAGE_DELDIALPLAN"), 0u);
    }
    EXPECT_GE(keySets[0].size(), 170u);
    EXPECT_EQ(keySets[1], keySets[0]);
    EXPECT_EQ(keySets[2], keySets[0]);
}

TEST(BuiltinLanguageFiles, TextsAreNonEmptyTranslatedAndKeepTheirPlaceholders) {
    const LanguageTable english = BuiltinTable(0);
    for (const BuiltinFile& file : kBuiltinFiles) {
        SCOPED_TRACE(file.name);
        const LanguageTable table = BuiltinTable(file.number);
        for (const std::string& key : KeysOf(table)) {
            const std::string text = table.LookupText(key);
            // Blank texts would make captions vanish; "Index No. " is the one text that ends in a blank.
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_NE(text, kMissingText) << key;
            EXPECT_EQ(PlaceholdersOf(text), PlaceholdersOf(english.LookupText(key))) << key;
            for (const std::string& placeholder : PlaceholdersOf(text)) {
                EXPECT_EQ(placeholder, "%s") << key << ": only %s may be filled in";
            }
            // Every sentence shown in a message box is a real translation, not a copied English text.
            if (file.number != 0 && key.rfind("Message_", 0) == 0) {
                EXPECT_TRUE(HasChineseCharacter(text)) << key << ": " << text;
            }
        }
    }
    EXPECT_NE(BuiltinTable(1).LookupText("Language_Chinese1"),
              BuiltinTable(2).LookupText("Language_Chinese1"));
}

// Lists whose entries are told apart by their text: a settings file, the apply sequence and the
// pages select an entry by comparing texts, so two equal texts in one list would pick the wrong one.
TEST(BuiltinLanguageFiles, EntriesOfEachChoiceListDiffer) {
    const std::vector<std::vector<std::string>> lists = {
        {"Index_Loop1", "Index_Loop2", "Index_Loop3"},
        {"SIP_1Via0", "SIP_1Via1", "SIP_1Via2", "SIP_1Via3"},
        {"SIP_2Via0", "SIP_2Via1", "SIP_2Via2", "SIP_2Via3"},
        {"SIP_1Time0", "SIP_1Time1", "SIP_1Time2", "SIP_1Time3", "SIP_1Time4", "SIP_1Time5", "SIP_1Time6",
         "SIP_1Time7", "SIP_1Time8", "SIP_1Time9"},
        {"SIP_2Time0", "SIP_2Time1", "SIP_2Time2", "SIP_2Time3", "SIP_2Time4", "SIP_2Time5", "SIP_2Time6",
         "SIP_2Time7", "SIP_2Time8", "SIP_2Time9"},
        {"Codec_Codec1", "Codec_Codec2", "Codec_Codec3", "Codec_Codec4", "Codec_Codec5"},
        {"Codec_Size1", "Codec_Size2", "Codec_Size3", "Codec_Size4", "Codec_Size5", "Codec_Size6"},
        {"Codec_InBand", "Codec_OutBand", "Codec_SIPInfo"},
        {"Log_Second1", "Log_Second2", "Log_Second3", "Log_Second4", "Log_Second5", "Log_Second6",
         "Log_Second7"},
        {"Language_English0", "Language_Chinese1", "Language_Chinese2"},
    };
    for (const BuiltinFile& file : kBuiltinFiles) {
        const LanguageTable table = BuiltinTable(file.number);
        for (const auto& list : lists) {
            std::set<std::string> texts;
            for (const std::string& key : list) {
                EXPECT_TRUE(texts.insert(table.LookupText(key)).second) << file.name << ": " << key;
            }
        }
        // Port 2's lists read the same as port 1's.
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(table.LookupText("SIP_2Time" + std::to_string(i)),
                      table.LookupText("SIP_1Time" + std::to_string(i)))
                << file.name;
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(table.LookupText("SIP_2Via" + std::to_string(i)),
                      table.LookupText("SIP_1Via" + std::to_string(i)))
                << file.name;
        }
    }
}

// The English texts the program must show, byte for byte (spelling included).
TEST(BuiltinLanguageFiles, EnglishFileHoldsTheRequiredTexts) {
    const std::vector<std::pair<const char*, const char*>> required = {
        {"Router_Tool", "Zezidez VoIP Dezadav 1.0"},
        {"Router_Info", "Router Info"},
        {"Router_Model", "Model :"},
        {"Router_IP", "IP :"},
        {"Router_Mac", "MAC :"},
        {"Router_Version", "Version :"},
        {"Index_Group", "Index No. "},
        {"Index_Loop1", "ISDN"},
        {"Index_Loop2", "PSTN"},
        {"Index_Loop3", "None"},
        {"Index_BackupStr", "(ISDN/PSDN)"},
        {"Language_English0", "English"},
        {"Language_Chinese1", "Simplified Chinese"},
        {"Language_Chinese2", "Traditional Chinese"},
        {"Button_OK", "OK"},
        {"Button_Cancel", "Cancel"},
        {"Button_Exit", "E&xit"},
        {"Button_Skip", "S&kip"},
        {"Button_Search", "&Search"},
        {"Button_Apply", "&Apply to Router"},
        {"Button_Save", "Save As..."},
        {"Button_SaveAll", "Sa&ve All"},
        {"Button_Load", "L&oad"},
        {"Button_ClearSel", "Clear Selected"},
        {"Button_ClearAll", "Clear All"},
        {"Button_Language", "&Language"},
        {"Message_Warn", "Warning"},
        {"Message_Router", "Response string out of range!"},
        {"Message_UDPSocket", "Failed to create UDP socket!"},
        {"Message_TCPSocket", "Failed to create TCP socket!"},
        {"Message_Connect", "Failed to connect to router!"},
        {"Message_Login", "Failed to login router!"},
        {"Message_GetDialPlan", "Failed to get DialPlan data from router!"},
        {"Message_SetDialPlan", "Failed to set DialPlan data to router!"},
        {"Message_GetSIP", "Failed to get SIP data from router!"},
        {"Message_SetSIP", "Failed to set SIP data to router!"},
        {"Message_GetCODEC", "Failed to get Codec data from router!"},
        {"Message_SetCODEC", "Failed to set Codec data to router!"},
        {"Message_GetLOG", "Failed to get VoIP Log data from router!"},
        {"Message_SetSetting", "Apply Setting to router ..."},
        {"Message_GetSetting", "Get Setting from router ..."},
        {"Message_GetVoIPLog", "Get VoIP Log from router ..."},
        {"Message_SetPassword1", "The length of Password should be under 24!"},
        {"Message_SetPassword2", "Two new passwords are different!"},
        {"Message_FileFail", "Couldn't load settings form the file!"},
        {"Message_SaveFail", "Couldn't save settings to the file!"},
        {"Message_Empty", "Phone number and domain name cannot be blank!"},
        {"Message_Success", "Success"},
        {"Message_ApplyOK", "Settings have been applied to router."},
        {"Select_Title", "Select Router"},
        {"Select_Model", "Model"},
        {"Select_IP", "IP Address"},
        {"Select_Mask", "Subnet Mask"},
        {"Select_Mac", "Mac Address"},
        {"Select_Version", "Version"},
        {"Confirm_Title", "Confirm Password"},
        {"Confirm_Model", "Model Name :"},
        {"Confirm_IP", "IP Address :"},
        {"Confirm_Mask", "Subnet Mask :"},
        {"Confirm_Mac", "MAC Address :"},
        {"Confirm_Version", "Firmware Version :"},
        {"Confirm_Password", "Password :"},
        {"SIP_Title", "SIP Related Functions Setup"},
        {"SIP_Group", "SIP"},
        {"SIP_Port", "SIP Port :"},
        {"SIP_Registrar", "Registrar :"},
        {"SIP_PortGroup", "Port Setting"},
        {"SIP_PortStr1", "Port 1"},
        {"SIP_PortStr2", "Port 2"},
        {"SIP_Via1", "Register via :"},
        {"SIP_Via2", "Register via :"},
        {"SIP_Password1", "Password :"},
        {"SIP_Password2", "Password :"},
        {"SIP_Expiry1", "Expiry Time :"},
        {"SIP_Expiry2", "Expiry Time :"},
        {"Codec_Title", "Codec/RTP/DTMF Setup"},
        {"Codec_Group", "Codecs"},
        {"Codec_Default", "Default Codec :"},
        {"Codec_Packet", "Packet Size :"},
        {"Codec_DTMFGroup", "DTMF"},
        {"Codec_PayLoad", "Payload Type :"},
        {"Codec_RTPGroup", "RTP"},
        {"Codec_Start", "Dynamic RTP port start :"},
        {"Codec_End", "Dynamic RTP port end :"},
        {"Log_Title", "VoIP Log"},
        {"Log_Index", "Index"},
        {"Log_Date", "Date (mm-dd-yyyy)"},
        {"Log_Time", "Time (hh:mm:ss)"},
        {"Log_Duration", "Duration(sec)"},
        {"Log_Direct", "In/Out"},
        {"Log_IPAddress", "IP/Domain/Port"},
        {"Log_AutoRefresh", "Auto Refresh"},
        {"Log_RefreshSec", "Refresh Seconds :"},
        {"Log_Second1", "10 s"},
        {"Log_Second2", "30 s"},
        {"Log_Second3", "60 s"},
        {"Log_Second4", "90 s"},
        {"Log_Second5", "120 s"},
        {"Log_Second6", "150 s"},
        {"Log_Second7", "180 s"},
        {"SIP_1Via0", "None"},
        {"SIP_1Via1", "Auto"},
        {"SIP_1Via2", "WAN"},
        {"SIP_1Via3", "LAN/VPN"},
        {"SIP_2Via0", "None"},
        {"SIP_2Via1", "Auto"},
        {"SIP_2Via2", "WAN"},
        {"SIP_2Via3", "LAN/VPN"},
        {"SIP_1Time0", "3 mins"},
        {"SIP_1Time1", "5 mins"},
        {"SIP_1Time2", "10 mins"},
        {"SIP_1Time3", "30 mins"},
        {"SIP_1Time4", "1 hour"},
        {"SIP_1Time5", "2 hours"},
        {"SIP_1Time6", "4 hours"},
        {"SIP_1Time7", "8 hours"},
        {"SIP_1Time8", "16 hours"},
        {"SIP_1Time9", "1 day"},
        {"SIP_2Time0", "3 mins"},
        {"SIP_2Time1", "5 mins"},
        {"SIP_2Time2", "10 mins"},
        {"SIP_2Time3", "30 mins"},
        {"SIP_2Time4", "1 hour"},
        {"SIP_2Time5", "2 hours"},
        {"SIP_2Time6", "4 hours"},
        {"SIP_2Time7", "8 hours"},
        {"SIP_2Time8", "16 hours"},
        {"SIP_2Time9", "1 day"},
        {"SIP_UserName1", "Name :"},
        {"SIP_UserName2", "Name :"},
        {"SIP_5870Name", "Username :"},
        {"Codec_Codec1", "G.711MU (64Kpbs)"},
        {"Codec_Codec2", "G.711A (64Kpbs)"},
        {"Codec_Codec3", "G.729A/B (8Kpbs)"},
        {"Codec_Codec4", "G.723 (6.4Kpbs)"},
        {"Codec_Codec5", "G.726_32 (32Kpbs)"},
        {"Codec_Size1", "10 ms"},
        {"Codec_Size2", "20 ms"},
        {"Codec_Size3", "30 ms"},
        {"Codec_Size4", "40 ms"},
        {"Codec_Size5", "50 ms"},
        {"Codec_Size6", "60 ms"},
        {"Codec_InBand", "InBand"},
        {"Codec_OutBand", "OutBand"},
        {"Codec_SIPInfo", "SIP INFO"},
        {"Message_Error", "Error"},
        {"Message_Payload", "The value must between 96 ~ 127!"},
    };
    const LanguageTable english = BuiltinTable(0);
    for (const auto& [key, text] : required) EXPECT_EQ(english.LookupText(key), text) << key;
}

TEST(BuiltinLanguageFiles, SwitchingBackToEnglishReplacesTheChineseTexts) {
    RecordingMessagePort port;
    LoadBuiltinEnglish(&port);
    LanguageTable& table = ProcessLanguageTable();
    EXPECT_EQ(table.CurrentLanguage(), 0);
    EXPECT_EQ(table.LookupText("Index_Loop3"), "None");

    table.LoadLanguage(1, &port);
    const std::string simplified = table.LookupText("Index_Loop3");
    EXPECT_TRUE(HasChineseCharacter(simplified)) << simplified;
    table.LoadLanguage(2, &port);
    EXPECT_TRUE(HasChineseCharacter(table.LookupText("Index_Loop3")));
    // A number outside the three keeps the file found last (Traditional Chinese).
    table.LoadLanguage(100, &port);
    EXPECT_EQ(table.CurrentLanguage(), 100);
    EXPECT_TRUE(HasChineseCharacter(table.LookupText("Index_Loop3")));

    table.LoadLanguage(0, &port);
    EXPECT_EQ(table.LookupText("Index_Loop3"), "None");
    EXPECT_EQ(table.LookupText("Message_Login"), "Failed to login router!");
    EXPECT_TRUE(port.shown.empty());
}

}  // namespace
}  // namespace dezadav
