#include "sending/QuotaController.h"

#include "app/Prompter.h"
#include "sending/QuotaState.h"
#include "sending/SendOptionsModel.h"

const QString QuotaController::kNote = QStringLiteral(
    "Quota assignments are set as per ideal circumstances. Actual quota may vary on the basis of network errors, "
    "retries attempts and other connectivity parameters.");
const QString QuotaController::kOverAssigned = QStringLiteral(
    "Currently assigned SMS Quota should not be greater than the Total number of Messages to be sent in your SMS "
    "list.");
const QString QuotaController::kResetQuestion =
    QStringLiteral("This option will clear the all assigned quota. Are you sure you want to continue?");

const std::vector<QuotaController::Column>& QuotaController::Columns() {
    static const std::vector<Column> columns = {
        {QStringLiteral("Com Port"), 100},   {QStringLiteral("Com Port Details"), 250},
        {QStringLiteral("Quota Type"), 120}, {QStringLiteral("Assign Quota"), 120},
        {QStringLiteral("Last"), 0},
    };
    return columns;
}

const QStringList& QuotaController::TypeChoices() {
    static const QStringList choices = {QuotaSettings::kAuto, QuotaSettings::kManual};
    return choices;
}

QString QuotaController::UnderAssignedQuestion(qint64 total, qint64 assigned, qint64 available) {
    return QStringLiteral("Currently assigned SMS Quota is lesser than the Total number of Messages to be sent in "
                          "your SMS list.") +
           QStringLiteral("\n\nThe Total number of SMS in list is ") + QString::number(total) +
           QStringLiteral("\nBut only ") + QString::number(assigned) +
           QStringLiteral(" messages have been assigned to connected devices yet.") + QStringLiteral("\n") +
           QString::number(available) + QStringLiteral(" unassigned Messages in the SMS list will remain unsent.") +
           QStringLiteral("\n\nDo you want to continue?");
}

bool QuotaController::MayOpen(qsizetype totalMessages, Prompter& prompter) {
    if (totalMessages > 0)
        return true;
    prompter.Notice(kListEmpty);
    return false;
}

QuotaController::QuotaController(const QString& selectedDevicesText, QuotaState& quota, SendOptionsModel& options,
                                 qsizetype totalMessages, Prompter& prompter)
    : m_quota(quota), m_options(options), m_prompter(prompter), m_total(totalMessages),
      m_rows(BuildRows(selectedDevicesText, quota.SettingsText())) {}

std::vector<std::pair<QString, QString>> QuotaController::ParseSelectedDevices(const QString& text) {
    static const QString portLabel = QStringLiteral("Com Port:");
    static const QString detailsLabel = QStringLiteral("Com Port Details:");
    std::vector<std::pair<QString, QString>> devices;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(portLabel))
            devices.emplace_back(line.mid(portLabel.size()).trimmed(), QString());
        else if (line.startsWith(detailsLabel) && !devices.empty())
            devices.back().second = line.mid(detailsLabel.size()).trimmed();
    }
    return devices;
}

std::vector<QuotaController::Row> QuotaController::BuildRows(const QString& selectedDevicesText,
                                                             const QString& previousSettings) {
    const std::vector<QuotaSettings::Line> previous = QuotaSettings::Parse(previousSettings);
    std::vector<Row> rows;
    for (const auto& [port, details] : ParseSelectedDevices(selectedDevicesText)) {
        Row row;
        row.port = port;
        row.details = details;
        for (const QuotaSettings::Line& line : previous) {
            if (line.port != port)
                continue;
            row.type = line.IsManual() ? QuotaSettings::kManual : QuotaSettings::kAuto;
            row.assign =
                line.IsManual() ? QString::number(QuotaSettings::AssignValue(line.assign)) : QuotaSettings::kAuto;
            row.last = row.type;
            row.ticked = line.ticked;
            break;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList QuotaController::RowValues(int row) const {
    if (!Valid(row))
        return {};
    const Row& r = m_rows[static_cast<size_t>(row)];
    return {r.port, r.details, r.type, r.assign, r.last};
}

qint64 QuotaController::AssignedQuota() const {
    qint64 assigned = 0;
    for (const Row& r : m_rows) {
        if (r.ticked && r.type != QuotaSettings::kAuto)
            assigned += QuotaSettings::AssignValue(r.assign);
    }
    return assigned;
}

bool QuotaController::SetTicked(int row, bool ticked) {
    if (!Valid(row))
        return false;
    m_rows[static_cast<size_t>(row)].ticked = ticked;
    return true;
}

bool QuotaController::SetType(int row, const QString& type) {
    if (!Valid(row) || !TypeChoices().contains(type))
        return false;
    Row& r = m_rows[static_cast<size_t>(row)];
    if (type == QuotaSettings::kAuto) {
        r.assign = QuotaSettings::kAuto;
    } else if (r.type != QuotaSettings::kManual) {
        r.assign = QStringLiteral("0");
    }
    r.type = type;
    r.last = type;
    return true;
}

bool QuotaController::IsAssignEditable(int row) const {
    return Valid(row) && m_rows[static_cast<size_t>(row)].type == QuotaSettings::kManual;
}

bool QuotaController::SetAssign(int row, const QString& text) {
    if (!IsAssignEditable(row) || text.size() > kAssignMaxLength)
        return false;
    for (const QChar c : text) {
        if (!IsAssignChar(c))
            return false;
    }
    m_rows[static_cast<size_t>(row)].assign = text;
    return true;
}

QString QuotaController::SettingsText() const {
    std::vector<QuotaSettings::Line> lines;
    lines.reserve(m_rows.size());
    for (const Row& r : m_rows)
        lines.push_back({r.port, r.details, r.type, r.assign, r.ticked});
    return QuotaSettings::Format(lines);
}

bool QuotaController::Ok() {
    bool anyTicked = false;
    bool tickedAuto = false;
    for (const Row& r : m_rows) {
        anyTicked = anyTicked || r.ticked;
        tickedAuto = tickedAuto || (r.ticked && r.type == QuotaSettings::kAuto);
    }
    if (!anyTicked) {
        m_prompter.Notice(kSelectDevice);
        return false;
    }
    const qint64 assigned = AssignedQuota();
    if (assigned > m_total) {
        m_prompter.Notice(kOverAssigned);
        return false;
    }
    if (!tickedAuto && assigned < m_total &&
        m_prompter.Ask(UnderAssignedQuestion(m_total, assigned, m_total - assigned), QStringLiteral("Confirm"),
                       Prompter::Icon::Question, Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
        return false;
    m_quota.SetSettingsText(SettingsText());
    m_options.SetQuotaManagement(true);
    return true;
}

bool QuotaController::Reset() {
    if (!m_prompter.Confirm(kResetQuestion))
        return false;
    for (Row& r : m_rows) {
        r.type = QuotaSettings::kAuto;
        r.assign = QuotaSettings::kAuto;
        r.last = QuotaSettings::kAuto;
    }
    return true;
}
