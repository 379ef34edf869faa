#include "exclusion/gui/COptOut_Settings.h"

#include "exclusion/ExclusionStore.h"
#include "exclusion/OptOutSettings.h"
#include "session/Session.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

COptOut_Settings::COptOut_Settings(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session), m_keywords(new QPlainTextEdit), m_list(new QComboBox) {
    setObjectName(QStringLiteral("COptOut_Settings"));
    setWindowTitle(QStringLiteral("Opt-out Settings"));
    const OptOutSettings current = session.OptOuts();
    m_keywords->setPlainText(current.keywords.join(QLatin1Char('\n')));
    m_keywords->setObjectName(QStringLiteral("Keywords"));
    m_list->setEditable(true);
    m_list->setObjectName(QStringLiteral("List"));
    const ExclusionStoreLines names = ExclusionStore(session.Paths()).ListNames();
    for (const QString& name : names.lines) {
        if (!name.trimmed().isEmpty())
            m_list->addItem(name);
    }
    if (m_list->findText(current.list) < 0)
        m_list->addItem(current.list);
    m_list->setCurrentText(current.list);

    auto* form = new QFormLayout;
    form->addRow(new QLabel(QStringLiteral("A reply whose whole text is one of these words (any letter case) is an "
                                           "opt-out. One word or phrase a line:")));
    form->addRow(m_keywords);
    form->addRow(QStringLiteral("Put opt-outs on the exclusion list:"), m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptOut_Settings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(460, 360);
}

void COptOut_Settings::accept() {
    OptOutSettings settings;
    settings.keywords = OptOutSettings::ParseKeywords(m_keywords->toPlainText());
    settings.list = m_list->currentText();
    if (m_session.SetOptOuts(settings))
        QDialog::accept();
}
