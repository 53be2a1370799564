#include "cli/json_output.h"

#include <QJsonDocument>

namespace dezadav::cli {

QJsonObject RouterJson(const RouterInfo& router) {
    return QJsonObject{{QStringLiteral("model"), QString::fromStdString(router.modelName)},
                       {QStringLiteral("ip"), QString::fromStdString(router.ipAddress)},
                       {QStringLiteral("mask"), QString::fromStdString(router.subnetMask)},
                       {QStringLiteral("mac"), QString::fromStdString(router.macAddress)},
                       {QStringLiteral("firmware"), QString::fromStdString(router.firmwareVersion)}};
}

std::string JsonDocumentText(const QJsonObject& document) {
    return QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

std::string JsonDocumentText(const QJsonArray& document) {
    return QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace dezadav::cli
