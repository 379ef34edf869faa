#include "devices/DetailsText.h"

#include <QStringList>

namespace DetailsText {

QString Build(const Values& v) {
    QString text;
    const auto line = [&text](const QString& label, const QString& value) {
        text += label;
        text += value;
        text += QLatin1Char('\n');
    };
    line(kManufacturer, v.manufacturer);
    line(kModel, v.model);
    line(kRevision, v.revision);
    line(kSupportedSmsMode, v.supportedSmsMode);
    line(kBattery, v.battery);
    line(kDefaultSmsc, v.defaultSmsc);
    line(kOperatorCode, v.operatorCode);
    line(kSignalQuality, v.signalQuality);
    return text;
}

QString GetDetailsValue(const QString& detailsText, const QString& label) {
    QString text = detailsText;
    text.replace(QLatin1String("||"), QLatin1String("\n"));
    const qsizetype at = text.indexOf(label);
    if (at < 0 || label.isEmpty())
        return {};
    const qsizetype from = at + label.size();
    qsizetype end = from;
    while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
        ++end;
    return text.mid(from, end - from).trimmed();
}

QString GetDefaultSmsc(const QString& detailsText, bool* found) {
    const QString value = GetDetailsValue(detailsText, kDefaultSmsc);
    if (found)
        *found = !value.isEmpty();
    return value;
}

bool CapabilitiesNotDetected(const QString& detailsText) {
    return GetDetailsValue(detailsText, kSmsCapabilities) == kNotDetected;
}

std::vector<QPair<QString, QString>> Pairs(const QString& detailsText) {
    std::vector<QPair<QString, QString>> pairs;
    for (const QString& line : detailsText.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        qsizetype at = line.indexOf(QLatin1String(" :"));
        qsizetype width = 2;
        if (at < 0) {
            at = line.indexOf(QLatin1Char(':'));
            width = 1;
        }
        if (at < 0)
            pairs.push_back({line.trimmed(), QString()});
        else
            pairs.push_back({line.left(at).trimmed(), line.mid(at + width).trimmed()});
    }
    return pairs;
}

} // namespace DetailsText
