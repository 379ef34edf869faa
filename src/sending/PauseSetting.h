#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The "Delayed Delivery Option" choices: pause every N messages for a duration.
namespace PauseSetting {

// "1", "2", ... "1000": the "Pause every" choices.
const QStringList& EveryChoices();
// " 5  Seconds" ... "12 Hours": the 32 duration choices, texts exactly as shown.
const QStringList& DurationChoices();

// The integer value of a "Pause every" text (0 when it is not a number).
int EveryCount(const QString& text);
// A duration text in milliseconds: the integer of its first two characters, times the unit of the first
// letter after the number ("S" seconds, "M" minutes, "H" hours). nullopt when the text means no pause
// (its first two characters are "No") or cannot be read.
std::optional<int> DurationMs(const QString& text);
// A plain form ("5s", "2m", "1h", "90s") or one of the choices, as its choice text; empty when unknown.
QString DurationFromPlain(const QString& text);

// The countdown text of the pause label, for whole seconds remaining:
// "Pausing the process for 1 Hour 30 Minutes 5 Seconds."
QString CountdownText(int remainingMs);

} // namespace PauseSetting
