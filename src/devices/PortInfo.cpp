#include "devices/PortInfo.h"

#include "devices/DeviceTexts.h"

QString PortInfo::DisplayName() const {
    if (kind == Kind::BuiltIn)
        return QStringLiteral("Communications Port (") + name + QLatin1Char(')');
    return DeviceTexts::DisplayName(name, description);
}
