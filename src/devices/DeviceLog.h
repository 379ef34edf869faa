#pragma once

#include <QLoggingCategory>

// Diagnostics of device discovery (the answers of the SMS support test, dropped ports). Off unless
// enabled with QT_LOGGING_RULES="bulksms.devices.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDevices)
