#include "devices/DeviceMessages.h"

namespace DeviceMessages {

QString DeviceErrorMessage(const QString& errorText) {
    if (errorText.isEmpty())
        return kDeviceNotWorking;
    return kDeviceConnectionError.arg(errorText);
}

} // namespace DeviceMessages
