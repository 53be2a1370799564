#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <string>

#include "discovery/router_info.h"

namespace dezadav::cli {

// What --json prints: one JSON document on standard output, its field names as the manual page
// lists them. Texts are the program's words as the line output has them.

// A router as discovery knows it: "model", "ip", "mask", "mac", "firmware" (empty strings when not known).
QJsonObject RouterJson(const RouterInfo& router);

// The document as printed: indented, ending with a line end.
std::string JsonDocumentText(const QJsonObject& document);
std::string JsonDocumentText(const QJsonArray& document);

}  // namespace dezadav::cli
