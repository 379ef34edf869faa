#include "CliJson.h"
#include "CliProgressLine.h"

#include "devices/DetailsText.h"

#include <QJsonDocument>

namespace CliJson {

namespace {
void Write(const QJsonDocument& document) {
    CliProgressLine::WriteToStdout(document.toJson(QJsonDocument::Compact) + '\n', true);
}
} // namespace

void Print(const QJsonObject& object) {
    Write(QJsonDocument(object));
}

void Print(const QJsonArray& array) {
    Write(QJsonDocument(array));
}

QJsonObject DetailsObject(const QString& details) {
    QJsonObject object;
    for (const auto& [name, value] : DetailsText::Pairs(details)) {
        if (!name.isEmpty())
            object.insert(name, value);
    }
    return object;
}

} // namespace CliJson
