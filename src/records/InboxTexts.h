#pragma once

#include "records/InboxStore.h"

#include <QString>

// How the inbox names and shows its entries, in its window and its exports.
namespace InboxTexts {

// "Message", "Opt-out" (a message whose sender was put on the opt-out list), "Report" or "Unreadable".
QString KindText(const InboxRecord& record);
// One entry whole, as the window shows the selected one: its fields, the text, a note, the PDU.
QString Details(const InboxRecord& record);

} // namespace InboxTexts
