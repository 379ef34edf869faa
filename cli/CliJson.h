#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

// "--json" output: every document is one line of compact UTF-8 JSON on stdout, flushed at once so that a
// script reading a stream (send, send-one) sees each row as it finishes. In JSON mode stdout carries JSON only;
// refusals and errors stay text on stderr, and the exit status says which happened.
namespace CliJson {

void Print(const QJsonObject& object);
void Print(const QJsonArray& array);
inline void Print(const QStringList& texts) {
    Print(QJsonArray::fromStringList(texts));
}

// A device's details text ("Name :Value" lines) as an object of names and values.
QJsonObject DetailsObject(const QString& details);

} // namespace CliJson
