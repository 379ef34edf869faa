#pragma once

#include "app/DataPaths.h"
#include "exclusion/OptOut.h"

#include <QString>
#include <QStringList>

#include <optional>

// Where a run with "Request delivery reports" keeps what devices hand over besides reports: received messages
// go to the inbox, opt-out replies put their sender on the opt-out exclusion list. Without a data folder
// (nullopt) received messages are left on the device for a later `listen` and reports still reach the rows.
struct DeliverySetup {
    std::optional<DataPaths> paths;
    QString optOutList = OptOut::kDefaultList;
    QStringList optOutKeywords = OptOut::DefaultKeywords();
};
