#include "devices/DeviceLog.h"

Q_LOGGING_CATEGORY(lcDevices, "bulksms.devices", QtInfoMsg)
