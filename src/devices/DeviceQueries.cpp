#include "devices/DeviceQueries.h"

#include "devices/DeviceLog.h"
#include "devices/DeviceReply.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

namespace {

using DeviceReply::Query;

const QStringList kMakerPrefixes = {"AT+GMI", "AT+CGMI", "+GMI", "+CGMI"};
const QStringList kModelPrefixes = {"AT+GMM", "AT+CGMM", "+GMM", "+CGMM"};
const QStringList kRevisionPrefixes = {"AT+GMR", "+GMR", "AT+CGMR", "+CGMR"};

const Query kCgsn{"AT+CGSN", {"AT+CGSN", "+CGSN"}};
const Query kGsn{"AT+GSN", {"AT+GSN", "+GSN"}};
const Query kCimi{"AT+CIMI", {"AT+CIMI", "+CIMI"}};
const Query kCmgfTest{"AT+CMGF=?", {"AT+CMGF", "+CMGF"}};
const Query kCbc{"AT+CBC", {"AT+CBC", "+CBC"}};
const Query kCsca{"AT+CSCA?", {"AT+CSCA", "+CSCA"}};
const Query kCops{"AT+COPS?", {"AT+COPS", "+COPS"}};
const Query kCsq{"AT+CSQ", {"AT+CSQ", "+CSQ"}};

} // namespace

const QString& DeviceQueries::LastReply() const {
    return m_port.LastReply();
}

bool DeviceQueries::Ask(const QByteArray& command) {
    // The port drops whatever a device sent after an earlier answer (a late reply, an unsolicited line, or the
    // rest of one still arriving): none of it is this answer.
    return m_port.Command(command + '\r');
}

bool DeviceQueries::CheckAt() {
    return Ask("AT");
}

QString DeviceQueries::Identity(const QByteArray& first, const QByteArray& second, const QStringList& prefixes) {
    if (Ask(first)) {
        const QString value = DeviceReply::Clean(m_port.LastReply(), {first, prefixes});
        if (!DeviceReply::NeedsFallback(value))
            return value;
    }
    if (Ask(second))
        return DeviceReply::Clean(m_port.LastReply(), {second, prefixes});
    return {};
}

QString DeviceQueries::GetManufacturer() {
    return Identity("AT+GMI", "AT+CGMI", kMakerPrefixes);
}

QString DeviceQueries::GetModel() {
    return DeviceReply::ModelValue(Identity("AT+GMM", "AT+CGMM", kModelPrefixes));
}

QString DeviceQueries::GetRevision() {
    return Identity("AT+GMR", "AT+CGMR", kRevisionPrefixes);
}

QString DeviceQueries::GetImei() noexcept {
    QString imei;
    try {
        if (Ask(kCgsn.command))
            imei = DeviceReply::ImeiValue(DeviceReply::Clean(m_port.LastReply(), kCgsn));
        // Devices that do not know AT+CGSN answer "Undefined" (or nothing); AT+GSN is the V.250 form.
        if (DeviceReply::NeedsFallback(imei) && Ask(kGsn.command))
            imei = DeviceReply::ImeiValue(DeviceReply::Clean(m_port.LastReply(), kGsn));
    } catch (...) {
        // A port that fails here fails again on the next query; the caller decides there.
    }
    return imei == QLatin1String("Undefined") ? QString() : imei;
}

QString DeviceQueries::GetImsi() {
    if (!Ask(kCimi.command))
        return {};
    return DeviceReply::ImsiValue(DeviceReply::Clean(m_port.LastReply(), kCimi));
}

DeviceQueries::SmsModes DeviceQueries::GetSmsModes() {
    SmsModes modes;
    modes.code = CheckAt() ? DeviceReply::kSmsModePdu : DeviceReply::kSmsModeNone;
    if (!Ask(kCmgfTest.command)) {
        modes.code = DeviceReply::kSmsModeNone;
    } else {
        modes.code = DeviceReply::SmsModesFromAnswer(DeviceReply::Clean(m_port.LastReply(), kCmgfTest), modes.code);
    }
    modes.text = DeviceReply::SmsModesText(modes.code);
    return modes;
}

QString DeviceQueries::GetBattery() {
    if (!Ask(kCbc.command))
        return {};
    return DeviceReply::BatteryValue(DeviceReply::Clean(m_port.LastReply(), kCbc));
}

QString DeviceQueries::GetSmsc() {
    if (!Ask(kCsca.command))
        return {};
    return DeviceReply::SmscValue(DeviceReply::Clean(m_port.LastReply(), kCsca, true));
}

QString DeviceQueries::GetOperator() {
    if (!Ask(kCops.command))
        return {};
    return DeviceReply::OperatorValue(DeviceReply::Clean(m_port.LastReply(), kCops, true));
}

QString DeviceQueries::GetSignalQuality() {
    if (!Ask(kCsq.command))
        return {};
    return DeviceReply::SignalValue(DeviceReply::Clean(m_port.LastReply(), kCsq));
}

bool DeviceQueries::CheckSmsSupport() {
    const bool csms = Ask("AT+CSMS=?");
    qCDebug(lcDevices, "For %s chk AT+CSMS=? and response is %s", qUtf8Printable(m_port.PortName()),
            qUtf8Printable(m_port.LastReply()));
    if (!csms)
        return false;
    const bool cmgs = Ask("AT+CMGS=?");
    qCDebug(lcDevices, "For %s chk AT+CMGS=? and response is %s", qUtf8Printable(m_port.PortName()),
            qUtf8Printable(m_port.LastReply()));
    return cmgs;
}

DeviceQueries::Information DeviceQueries::QueryInformation() {
    if (!CheckAt())
        CSMSException::ThrowNoResponse();
    Information info;
    DetailsText::Values& v = info.values;
    v.manufacturer = GetManufacturer();
    v.model = GetModel();
    info.imei = GetImei();
    info.imsi = GetImsi();
    v.revision = GetRevision();
    info.smsModes = GetSmsModes();
    v.supportedSmsMode = DeviceReply::SmsModesDetailsValue(info.smsModes.code);
    v.battery = GetBattery();
    v.defaultSmsc = GetSmsc();
    v.operatorCode = GetOperator();
    v.signalQuality = GetSignalQuality();
    return info;
}

QString DeviceQueries::GetDeviceDetails() {
    return DetailsText::Build(QueryInformation().values);
}
