#pragma once

#include <QString>

// Strings between the simulated modem and its host in the TE character set of AT+CSCS (3GPP TS 27.007 5.5):
// "IRA" (ITU-T T.50, ASCII), "GSM" (the 7-bit default alphabet of TS 23.038, one byte per septet), "UCS2"
// and "HEX" (four hex digits per UTF-16 unit, as the devices modelled here use both).
namespace SimCharset {

bool IsHex(const QString& charset); // "UCS2" or "HEX"

// A text as the modem writes it in `charset`; a character the set cannot hold becomes '?', as devices do.
// The result holds only characters below U+0080 (one output byte each).
QString ToTe(const QString& text, const QString& charset);

QString ToUcs2Hex(const QString& text); // uppercase, four digits per UTF-16 unit
bool FromUcs2Hex(const QString& hex, QString* text);

} // namespace SimCharset
