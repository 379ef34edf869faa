#include "MessageComposer.h"

#include <QChar>

namespace {

// The longest prefix of `text` of at most `room` code units that ends neither between the two halves of a
// surrogate pair nor between CR and LF.
QString FittingPrefix(const QString& text, qsizetype room) {
    if (room <= 0)
        return {};
    if (text.size() <= room)
        return text;
    qsizetype cut = room;
    const char16_t before = text.at(cut - 1).unicode();
    const char16_t after = text.at(cut).unicode();
    if ((QChar::isHighSurrogate(before) && QChar::isLowSurrogate(after)) || (before == u'\r' && after == u'\n'))
        --cut;
    return text.left(cut);
}

} // namespace

QStringList MessageComposer::MessageTypeItems() {
    return {QStringLiteral("Notification"), QStringLiteral("Standard SMS")};
}

QString MessageComposer::WithCrLfLineBreaks(const QString& text) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QLatin1String("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString MessageComposer::Text() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}

bool MessageComposer::SetText(const QString& text) {
    const QString normalised = WithCrLfLineBreaks(text);
    const QString kept = FittingPrefix(normalised, kMaxLength);
    std::lock_guard lock(m_mutex);
    m_text = kept;
    return kept.size() == normalised.size();
}

bool MessageComposer::ExceedsLimit(const QString& text) {
    return WithCrLfLineBreaks(text).size() > kMaxLength;
}

QString MessageComposer::FitInsertion(qsizetype currentLength, qsizetype removedLength, const QString& inserted) {
    const qsizetype room = kMaxLength - (currentLength - removedLength);
    return FittingPrefix(WithCrLfLineBreaks(inserted), room);
}

QString MessageComposer::CounterText() const {
    return QStringLiteral("%1 Characters").arg(Length());
}

qsizetype MessageComposer::Length() const {
    std::lock_guard lock(m_mutex);
    return m_text.size();
}

void MessageComposer::SetMessageTypeIndex(int index) {
    if (index == kNotification || index == kStandardSms)
        m_messageType.store(index);
}

void MessageComposer::Reset() {
    {
        std::lock_guard lock(m_mutex);
        m_text.clear();
    }
    m_messageType.store(kStandardSms);
    m_unicode.store(false);
}
