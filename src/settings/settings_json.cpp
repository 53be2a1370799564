#include "settings/settings_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <array>
#include <map>
#include <span>

#include "settings/codec_settings.h"
#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "settings/settings_file_fields.h"
#include "settings/sip_codec_fields.h"
#include "settings/sip_codec_row_text.h"
#include "settings/sip_settings.h"

namespace dezadav {
namespace {

constexpr std::array<std::string_view, 3> kLoopKeys = {"Index_Loop1", "Index_Loop2", "Index_Loop3"};
constexpr std::string_view kDialPlanKeys[] = {"index", "phone", "name", "address", "loop", "backup", "enabled"};
constexpr std::string_view kSipPortKeys[] = {"registerVia", "name", "password", "expiry"};
constexpr std::string_view kCodecKeys[] = {"codec", "packetSize", "dtmfMode", "payloadType", "rtpPortStart",
                                           "rtpPortEnd"};

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string S(const QString& text) {
    return text.toStdString();
}

// The fields of a settings text, section by section, as the file holds them.
struct FileFields {
    std::array<std::array<std::string, 7>, kDialPlanEntryCount> dialPlan;
    std::array<std::string, kSipRowFieldCount> sip;
    std::array<std::string, kCodecRowFieldCount> codec;
};

FileFields EmptyFields() {
    FileFields fields;
    for (int p = 0; p < kDialPlanEntryCount; ++p) fields.dialPlan[static_cast<std::size_t>(p)] = {std::to_string(p + 1), "", "", "", "", "", "-"};
    return fields;
}

// The fields of a checked settings text (every row whole, as CheckSettingsText gives it back).
FileFields FieldsOf(std::string_view text) {
    FileFields fields = EmptyFields();
    const SettingsSections sections = FindSettingsSections(text);
    const auto rows = [&](const std::optional<SectionRange>& range) {
        return range ? SplitSettingsFileLines(text, range->start, range->end) : std::vector<SettingsFileLine>{};
    };
    for (const SettingsFileLine& line : rows(sections.dialPlan)) {
        if (line.fields.size() != 7) continue;
        const int index = std::stoi(line.fields[0]);
        std::copy(line.fields.begin(), line.fields.end(), fields.dialPlan[static_cast<std::size_t>(index - 1)].begin());
    }
    for (const SettingsFileLine& line : rows(sections.sip)) {
        if (line.fields.size() == kSipRowFieldCount) std::copy(line.fields.begin(), line.fields.end(), fields.sip.begin());
    }
    for (const SettingsFileLine& line : rows(sections.codec)) {
        if (line.fields.size() == kCodecRowFieldCount) std::copy(line.fields.begin(), line.fields.end(), fields.codec.begin());
    }
    return fields;
}

std::string TextOf(const FileFields& fields) {
    std::string text;
    for (const auto& row : fields.dialPlan) {
        // The fields as the file holds them (the loop-through a word still to be checked).
        text += JoinRowFields(std::vector<std::string>(row.begin(), row.end()));
    }
    text += "\r\n;LIST\r\n";
    text += JoinRowFields(std::vector<std::string>(fields.sip.begin(), fields.sip.end()));
    text += "\r\n;SIP\r\n";
    text += JoinRowFields(std::vector<std::string>(fields.codec.begin(), fields.codec.end()));
    text += "\r\n;END\r\n";
    return text;
}

// The words of the form's lists in English (what the document holds) and in the words of the
// checked text (what the file holds), by list.
class Words {
public:
    Words(bool twoPort, const SettingsFileWords& words)
        : m_english(words.languages.empty() ? words.shown : words.languages.front()), m_shown(words.shown) {
        const std::size_t firstExpiry = twoPort ? kFullExpiryCount - kTwoPortExpiryCount : 0;
        m_expiryKeys = std::span(kSipPort1TimeKeys).subspan(firstExpiry);
        m_codecKeys = std::span(kCodecChoiceKeys).first(twoPort ? kCodecChoiceKeys.size() : kOnePortCodecCount);
    }

    std::string English(std::string_view key) const { return m_english.LookupText(key); }
    std::string Shown(std::string_view key) const { return m_shown.LookupText(key); }

    // A position (as the file holds it) as the list's English word; "" for no selection.
    std::string PositionWord(std::span<const std::string_view> keys, const std::string& position) const {
        if (position.empty() || position[0] == '-') return {};
        const std::size_t n = static_cast<std::size_t>(std::stoi(position));
        return n < keys.size() ? English(keys[n]) : std::string();
    }
    // An English word (or a word of any language) as its position; nothing for a word of no entry.
    std::optional<std::string> WordPosition(std::span<const std::string_view> keys, const std::string& word) const {
        for (std::size_t n = 0; n < keys.size(); ++n) {
            if (word == English(keys[n]) || word == Shown(keys[n])) return std::to_string(n);
        }
        return std::nullopt;
    }
    // A list text of the file (shown language) as its English word, and back.
    std::string TextWord(std::span<const std::string_view> keys, const std::string& text) const {
        for (const std::string_view key : keys) {
            if (text == Shown(key)) return English(key);
        }
        return text;
    }
    std::string WordText(std::span<const std::string_view> keys, const std::string& word) const {
        for (const std::string_view key : keys) {
            if (word == English(key)) return Shown(key);
        }
        return word;  // left for the strict check to refuse
    }
    std::string Choices(std::span<const std::string_view> keys) const {
        std::string text;
        for (const std::string_view key : keys) text += (text.empty() ? "" : ", ") + English(key);
        return text;
    }

    std::span<const std::string_view> expiryKeys() const { return m_expiryKeys; }
    std::span<const std::string_view> codecKeys() const { return m_codecKeys; }

private:
    const LanguageTable& m_english;
    const LanguageTable& m_shown;
    std::span<const std::string_view> m_expiryKeys;
    std::span<const std::string_view> m_codecKeys;
};

std::string DefaultSettingsText(bool twoPort, const LanguageTable& language) {
    SipSettings sip(language);
    CodecSettings codec(language);
    if (twoPort) {
        sip.SetTwoPort(true);
        BringSettingsToRouterForm(sip, codec, false);
    } else {
        codec.LimitCodecChoicesToOnePort();
    }
    return DialPlanFileText(DialPlanTable()) + SipFileText(sip) + CodecFileText(codec);
}

std::string Path(std::initializer_list<std::string> parts) {
    std::string path;
    for (const std::string& part : parts) path += "/" + part;
    return path;
}

std::string Refusal(const std::string& path, const std::string& value, const std::string& reason) {
    return path + ": \"" + value + "\" " + reason;
}

// Reads the document's values into `fields`; the first refusal, naming its path, when one is found.
class DocumentReader {
public:
    DocumentReader(const Words& words, bool twoPort, bool replace, FileFields& fields)
        : m_words(words), m_twoPort(twoPort), m_replace(replace), m_fields(fields) {}

    std::optional<std::string> Read(const QJsonObject& document) {
        if (document.contains("format") && document.value("format").toString() != Q(kSettingsJsonFormat)) {
            return Refusal("/format", S(document.value("format").toString()), "is not " + std::string(kSettingsJsonFormat));
        }
        for (const QString& key : document.keys()) {
            if (key != "format" && key != "model" && key != "dialPlan" && key != "sip" && key != "codec") {
                return Path({S(key)}) + ": is no field of a settings document";
            }
        }
        if (auto problem = DialPlan(document)) return problem;
        if (auto problem = Sip(document)) return problem;
        return Codec(document);
    }

    // The JSON path of a field of the file, for a refusal the strict check found.
    std::string PathOf(std::size_t line, std::size_t column) const {
        if (line >= 1 && line <= static_cast<std::size_t>(kDialPlanEntryCount)) {
            const auto found = m_entryPaths.find(static_cast<int>(line));
            const std::string entry = found == m_entryPaths.end() ? "/dialPlan" : found->second;
            return entry + "/" + std::string(kDialPlanKeys[std::min<std::size_t>(column, 6)]);
        }
        if (line == kDialPlanEntryCount + 3) {
            if (column < 2) return column == 0 ? "/sip/port" : "/sip/registrar";
            const std::size_t port = (column - 2) / 4;
            return Path({"sip", "ports", std::to_string(port), std::string(kSipPortKeys[(column - 2) % 4])});
        }
        return "/codec/" + std::string(kCodecKeys[std::min<std::size_t>(column, 5)]);
    }

private:
    // A text field: its value, or (absent) the base's; refused when it is no string.
    std::optional<std::string> Text(const QJsonObject& object, const char* key, const std::string& path,
                                    std::string& target) {
        if (!object.contains(key)) {
            if (m_replace && !m_optional) return path + ": is missing";
            return std::nullopt;
        }
        const QJsonValue value = object.value(key);
        if (!value.isString()) return path + ": is not a text";
        target = S(value.toString());
        return std::nullopt;
    }

    std::optional<std::string> Word(const QJsonObject& object, const char* key, const std::string& path,
                                    std::span<const std::string_view> keys, std::string& target, bool position) {
        std::string word;
        const bool had = object.contains(key);
        if (auto problem = Text(object, key, path, word)) return problem;
        if (!had) return std::nullopt;
        if (word.empty()) {
            target = position ? "-1" : "";
            return std::nullopt;
        }
        if (position) {
            const auto n = m_words.WordPosition(keys, word);
            if (!n) return Refusal(path, word, "is not one of " + m_words.Choices(keys));
            target = *n;
        } else {
            const std::string text = m_words.WordText(keys, word);
            bool known = false;
            for (const std::string_view k : keys) known = known || text == m_words.Shown(k);
            if (!known) return Refusal(path, word, "is not one of " + m_words.Choices(keys));
            target = text;
        }
        return std::nullopt;
    }

    std::optional<std::string> DialPlan(const QJsonObject& document) {
        if (m_replace) {
            for (int p = 0; p < kDialPlanEntryCount; ++p) m_fields.dialPlan[static_cast<std::size_t>(p)] = EmptyFields().dialPlan[static_cast<std::size_t>(p)];
        }
        if (!document.contains("dialPlan")) return std::nullopt;
        if (!document.value("dialPlan").isArray()) return "/dialPlan: is not a list";
        const QJsonArray entries = document.value("dialPlan").toArray();
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const std::string at = Path({"dialPlan", std::to_string(i)});
            if (!entries[i].isObject()) return at + ": is not an entry";
            const QJsonObject entry = entries[i].toObject();
            const QJsonValue index = entry.value("index");
            if (!index.isDouble() || index.toDouble() != static_cast<double>(index.toInt()) || index.toInt() < 1 ||
                index.toInt() > kDialPlanEntryCount) {
                return at + "/index: is not a number from 1 to 60";
            }
            if (m_entryPaths.contains(index.toInt())) return at + "/index: " + std::to_string(index.toInt()) + " is given twice";
            m_entryPaths[index.toInt()] = at;
            for (const QString& key : entry.keys()) {
                const std::string name = S(key);
                bool known = false;
                for (const std::string_view k : kDialPlanKeys) known = known || name == k;
                if (!known || (m_twoPort && (name == "loop" || name == "backup"))) {
                    return at + "/" + name + ": is no field of a dial-plan entry" + (known ? " of a two-port router" : "");
                }
            }
            auto& row = m_fields.dialPlan[static_cast<std::size_t>(index.toInt() - 1)];
            // "phone": "" deletes the entry; nothing else of it is needed then.
            const bool deleting = entry.value("phone").isString() && entry.value("phone").toString().isEmpty();
            m_optional = deleting;
            const auto field = [&](const char* key, std::size_t column) {
                return Text(entry, key, at + "/" + key, row[column]);
            };
            if (auto p = field("phone", 1)) return p;
            if (auto p = field("name", 2)) return p;
            if (auto p = field("address", 3)) return p;
            if (!m_twoPort) {
                if (auto p = Word(entry, "loop", at + "/loop", kLoopKeys, row[4], false)) return p;
                if (auto p = field("backup", 5)) return p;
            }
            if (entry.contains("enabled")) {
                if (!entry.value("enabled").isBool()) return at + "/enabled: is not true or false";
                row[6] = entry.value("enabled").toBool() ? "V" : "-";
            } else if (m_replace && !deleting) {
                return at + "/enabled: is missing";
            }
            m_optional = false;
            if (deleting) row = EmptyFields().dialPlan[static_cast<std::size_t>(index.toInt() - 1)];
        }
        return std::nullopt;
    }

    // A name the group does not have is a typing slip that would otherwise change nothing and say so.
    static std::optional<std::string> UnknownName(const QJsonObject& group, std::initializer_list<const char*> names,
                                                  const std::string& path, const char* what) {
        for (const QString& key : group.keys()) {
            bool known = false;
            for (const char* name : names) known = known || key == QLatin1String(name);
            if (!known) return path + "/" + S(key) + ": is no field of " + what;
        }
        return std::nullopt;
    }

    std::optional<std::string> Sip(const QJsonObject& document) {
        if (!document.contains("sip")) return m_replace ? std::optional<std::string>("/sip: is missing") : std::nullopt;
        if (!document.value("sip").isObject()) return "/sip: is not a group of fields";
        const QJsonObject sip = document.value("sip").toObject();
        if (auto p = UnknownName(sip, {"port", "registrar", "ports"}, "/sip", "the SIP group")) return p;
        auto& row = m_fields.sip;
        const auto at = [&](SipField field) -> std::string& { return row[FieldPosition(field)]; };
        if (auto p = Text(sip, "port", "/sip/port", at(SipField::SipPort))) return p;
        if (auto p = Text(sip, "registrar", "/sip/registrar", at(SipField::Registrar))) return p;
        if (!sip.contains("ports")) return m_replace ? std::optional<std::string>("/sip/ports: is missing") : std::nullopt;
        if (!sip.value("ports").isArray()) return "/sip/ports: is not a list";
        const QJsonArray ports = sip.value("ports").toArray();
        const qsizetype count = m_twoPort ? 2 : 1;
        if (ports.size() > count || (m_replace && ports.size() != count)) {
            return "/sip/ports: a " + std::string(m_twoPort ? "two" : "one") + "-port router has " + std::to_string(count);
        }
        for (qsizetype i = 0; i < ports.size(); ++i) {
            const std::string path = Path({"sip", "ports", std::to_string(i)});
            if (!ports[i].isObject()) return path + ": is not a group of fields";
            const QJsonObject port = ports[i].toObject();
            if (auto p = UnknownName(port, {"registerVia", "useRegistrar", "name", "password", "expiry"}, path,
                                     "a SIP port")) {
                return p;
            }
            const std::size_t first = i == 0 ? FieldPosition(SipField::Port1Registration) : FieldPosition(SipField::Port2RegisterVia);
            if (!m_twoPort && i == 0) {
                if (port.contains("registerVia")) return path + "/registerVia: a one-port router has \"useRegistrar\"";
                if (port.contains("useRegistrar")) {
                    if (!port.value("useRegistrar").isBool()) return path + "/useRegistrar: is not true or false";
                    row[first] = port.value("useRegistrar").toBool() ? "1" : "0";
                } else if (m_replace) {
                    return path + "/useRegistrar: is missing";
                }
            } else {
                if (port.contains("useRegistrar")) return path + "/useRegistrar: is only for one-port routers";
                if (auto p = Word(port, "registerVia", path + "/registerVia", kSipPort1ViaKeys, row[first], true)) return p;
            }
            if (auto p = Text(port, "name", path + "/name", row[first + 1])) return p;
            // A password left out keeps the router's: a fetched document holds none unless asked.
            m_optional = true;
            if (auto p = Text(port, "password", path + "/password", row[first + 2])) return p;
            m_optional = false;
            if (auto p = Word(port, "expiry", path + "/expiry", m_words.expiryKeys(), row[first + 3], true)) return p;
        }
        return std::nullopt;
    }

    std::optional<std::string> Codec(const QJsonObject& document) {
        if (!document.contains("codec")) return m_replace ? std::optional<std::string>("/codec: is missing") : std::nullopt;
        if (!document.value("codec").isObject()) return "/codec: is not a group of fields";
        const QJsonObject codec = document.value("codec").toObject();
        if (auto p = UnknownName(codec, {"codec", "packetSize", "dtmfMode", "payloadType", "rtpPortStart", "rtpPortEnd"},
                                 "/codec", "the codec group")) {
            return p;
        }
        auto& row = m_fields.codec;
        if (auto p = Word(codec, "codec", "/codec/codec", m_words.codecKeys(), row[0], false)) return p;
        if (auto p = Word(codec, "packetSize", "/codec/packetSize", kPacketSizeKeys, row[1], false)) return p;
        if (auto p = Word(codec, "dtmfMode", "/codec/dtmfMode", kDtmfModeKeys, row[2], true)) return p;
        if (auto p = Text(codec, "payloadType", "/codec/payloadType", row[3])) return p;
        if (auto p = Text(codec, "rtpPortStart", "/codec/rtpPortStart", row[4])) return p;
        return Text(codec, "rtpPortEnd", "/codec/rtpPortEnd", row[5]);
    }

    const Words& m_words;
    bool m_twoPort;
    bool m_replace;
    bool m_optional = false;
    FileFields& m_fields;
    std::map<int, std::string> m_entryPaths;  // dial-plan index -> the entry's path in the document
};

}  // namespace

bool IsSettingsJson(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '{';
}

std::optional<std::string> SettingsJsonFromText(std::string_view settingsText, bool twoPort, const std::string& model,
                                                bool showSecrets, const SettingsFileWords& words, std::string* problem) {
    const CheckedSettingsText checked = CheckSettingsText(settingsText, twoPort, words);
    if (checked.problem) {
        if (problem != nullptr) *problem = checked.problem->Message("settings");
        return std::nullopt;
    }
    const FileFields fields = FieldsOf(checked.text);
    const Words w(twoPort, words);

    QJsonArray dialPlan;
    for (const auto& row : fields.dialPlan) {
        if (row[1].empty()) continue;
        QJsonObject entry{{"index", std::stoi(row[0])}, {"phone", Q(row[1])}, {"name", Q(row[2])}, {"address", Q(row[3])}};
        if (!twoPort) {
            entry.insert("loop", Q(w.TextWord(kLoopKeys, row[4])));
            entry.insert("backup", Q(row[5]));
        }
        entry.insert("enabled", row[6] == kDialPlanEnabledMark);
        dialPlan.append(entry);
    }

    const auto& sip = fields.sip;
    QJsonArray ports;
    for (int port = 0; port < (twoPort ? 2 : 1); ++port) {
        const std::size_t first = port == 0 ? FieldPosition(SipField::Port1Registration) : FieldPosition(SipField::Port2RegisterVia);
        QJsonObject object;
        if (twoPort) {
            object.insert("registerVia", Q(w.PositionWord(kSipPort1ViaKeys, sip[first])));
        } else {
            object.insert("useRegistrar", sip[first] == "1");
        }
        object.insert("name", Q(sip[first + 1]));
        if (showSecrets) object.insert("password", Q(sip[first + 2]));
        object.insert("expiry", Q(w.PositionWord(w.expiryKeys(), sip[first + 3])));
        ports.append(object);
    }
    const auto& codec = fields.codec;
    const QJsonObject document{
        {"format", Q(kSettingsJsonFormat)},
        {"model", Q(model)},
        {"dialPlan", dialPlan},
        {"sip", QJsonObject{{"port", Q(sip[0])}, {"registrar", Q(sip[1])}, {"ports", ports}}},
        {"codec", QJsonObject{{"codec", Q(w.TextWord(w.codecKeys(), codec[0]))},
                              {"packetSize", Q(w.TextWord(kPacketSizeKeys, codec[1]))},
                              {"dtmfMode", Q(w.PositionWord(kDtmfModeKeys, codec[2]))},
                              {"payloadType", Q(codec[3])},
                              {"rtpPortStart", Q(codec[4])},
                              {"rtpPortEnd", Q(codec[5])}}}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

SettingsJsonRead ReadSettingsJson(std::string_view documentText, std::string_view base, bool twoPort, bool replace,
                                  const SettingsFileWords& words) {
    SettingsJsonRead read;
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(documentText.data(), static_cast<qsizetype>(documentText.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        read.problem = "is no JSON document: " + S(error.errorString()) + " at byte " + std::to_string(error.offset);
        return read;
    }
    read.model = S(document.object().value("model").toString());
    // The base is read with --replace too: a password the document leaves out keeps the router's.
    // Without one, a new program's settings stand in (a one-port router's second port among them,
    // which no document names).
    const std::string defaults = base.empty() ? DefaultSettingsText(twoPort, words.shown) : std::string();
    if (base.empty()) base = defaults;
    FileFields fields = EmptyFields();
    {
        const CheckedSettingsText checkedBase = CheckSettingsText(base, twoPort, words);
        if (checkedBase.problem) {
            read.problem = checkedBase.problem->Message("the router's settings");
            return read;
        }
        fields = FieldsOf(checkedBase.text);
    }
    const Words w(twoPort, words);
    DocumentReader reader(w, twoPort, replace, fields);
    if (auto problem = reader.Read(document.object())) {
        read.problem = std::move(problem);
        return read;
    }
    const std::string text = TextOf(fields);
    CheckedSettingsText checked = CheckSettingsText(text, twoPort, words);
    if (checked.problem) {
        read.problem = reader.PathOf(checked.problem->line, checked.problem->column) + ": \"" + checked.problem->value +
                       "\" " + checked.problem->reason;
        return read;
    }
    read.text = std::move(checked.text);
    return read;
}

std::optional<bool> SettingsJsonIsTwoPort(std::string_view documentText) {
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(documentText.data(), static_cast<qsizetype>(documentText.size())));
    const QJsonObject object = document.object();
    bool onePort = false;
    for (const QJsonValue& entry : object.value("dialPlan").toArray()) {
        onePort = onePort || entry.toObject().contains("loop") || entry.toObject().contains("backup");
    }
    const QJsonArray ports = object.value("sip").toObject().value("ports").toArray();
    onePort = onePort || (!ports.isEmpty() && ports[0].toObject().contains("useRegistrar"));
    const bool twoPort = ports.size() > 1 || (!ports.isEmpty() && ports[0].toObject().contains("registerVia"));
    if (onePort == twoPort) return std::nullopt;
    return twoPort;
}

}  // namespace dezadav
