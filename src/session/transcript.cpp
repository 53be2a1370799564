#include "session/transcript.h"

#include <cstdio>

#include "session/apply_commands.h"
#include "session/session_request.h"

namespace dezadav {
namespace {

constexpr std::string_view kPrintedPasswordKeyword = "password:";

std::string_view PurposeOf(SessionMode mode) {
    switch (mode) {
        case SessionMode::GetSettings:
            return "fetch";
        case SessionMode::ApplySettings:
            return "apply";
        case SessionMode::GetVoipLog:
            return "log refresh";
    }
    return "unknown";
}

bool IsWordEnd(char byte) {
    return byte == ' ' || byte == '\r' || byte == '\n';
}

std::string Stars(std::size_t count) {
    return std::string(count, '*');
}

}  // namespace

std::string EscapeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (byte < 0x20 || byte >= 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

TranscriptWriter::TranscriptWriter(TranscriptSink& sink, std::function<std::string()> localTime)
    : m_sink(sink), m_localTime(std::move(localTime)) {}

void TranscriptWriter::ExchangeStarted(int64_t atMs, const SessionRequest& request) {
    m_block.clear();
    m_open = true;
    m_startMs = atMs;
    m_mask.Reset();
    char scale[32];
    std::snprintf(scale, sizeof scale, "%g", request.timeScale);
    // The request's password is deliberately not looked at.
    m_block += "=== " + m_localTime() + "  " + request.routerIp + ":" + std::to_string(request.telnetPort) +
               "  " + std::string(PurposeOf(request.mode)) + "  model " + request.modelName +
               "  time scale " + scale + "\n";
}

void TranscriptWriter::AddLine(int64_t atMs, std::string_view direction, const std::string& shown) {
    char when[32];
    std::snprintf(when, sizeof when, "%8lld ms ", static_cast<long long>(atMs - m_startMs));
    m_block += when;
    m_block += direction;
    m_block += ' ';
    m_block += shown;
    m_block += '\n';
}

std::string PrintedPasswordMask::Mask(std::string_view chunk) {
    std::string out(chunk);
    for (char& byte : out) {
        if (m_inValue || (m_valueAhead && !IsWordEnd(byte))) {
            m_valueAhead = false;
            m_inValue = !IsWordEnd(byte);
            if (m_inValue) byte = '*';
            continue;
        }
        if (m_valueAhead) continue;  // line breaks and spaces before the value
        // The keyword has no prefix that recurs inside it: a mismatch restarts at its first byte.
        if (byte == kPrintedPasswordKeyword[m_keywordMatched]) {
            ++m_keywordMatched;
        } else {
            m_keywordMatched = byte == kPrintedPasswordKeyword[0] ? 1 : 0;
        }
        if (m_keywordMatched == kPrintedPasswordKeyword.size()) {
            m_keywordMatched = 0;
            m_valueAhead = true;
        }
    }
    return out;
}

void TranscriptWriter::ChunkReceived(int64_t atMs, std::string_view bytes) {
    if (!m_open) return;
    AddLine(atMs, "<-", "\"" + EscapeBytes(m_mask.Mask(bytes)) + "\"");
}

void TranscriptWriter::LineTyped(int64_t atMs, std::string_view text, bool isPassword, bool echoed) {
    if (!m_open) return;
    std::string shown;
    if (isPassword) {
        shown = Stars(text.size());
    } else {
        shown = EscapeBytes(HideSecretValue(text));
    }
    if (echoed) {
        AddLine(atMs, "->", "\"" + shown + "\\r\"" + (isPassword ? "  (password)" : ""));
    } else {
        AddLine(atMs, "->", "\"" + shown + "\"  (the last byte was not echoed in time; line not finished)");
    }
}

void TranscriptWriter::ExchangeEnded(int64_t atMs, bool ok, std::string_view shownText) {
    if (!m_open) return;
    m_open = false;
    std::string outcome = ok ? "success" : "failed";
    if (!shownText.empty()) outcome += ": " + EscapeBytes(shownText);
    AddLine(atMs, "==", outcome);
    m_block += '\n';
    if (!m_sink.Append(m_block)) m_healthy = false;
    m_block.clear();
}

}  // namespace dezadav
