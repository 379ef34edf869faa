#include "NumberComparison.h"

#include "NumberText.h"

NumberComparison NumberComparison::ForCountry(QStringView regionCode) {
    std::optional<InternationalNumbering> numbering = InternationalNumbering::ForCountry(regionCode);
    return numbering ? NumberComparison(std::move(*numbering)) : NumberComparison();
}

QStringView NumberComparison::KeyView(QStringView number, KeyBuffer& buffer) const {
    if (m_numbering) {
        InternationalNumbering::Form form = m_numbering->Classify(number);
        if (form.possibility == NumberPossibility::Possible) {
            buffer.e164 = form.e164;
            return buffer.e164.View();
        }
    }
    if (!MayNeedCaseFolding(number))
        return number;
    buffer.folded.clear();
    AppendCaseFolded(number, buffer.folded);
    return QStringView(buffer.folded.data(), static_cast<qsizetype>(buffer.folded.size()));
}

QString NumberComparison::Key(const QString& number) const {
    KeyBuffer buffer;
    const QStringView key = KeyView(number, buffer);
    // A number with nothing to fold (the view is the text itself), or one already written in its E.164 form, is
    // its own key.
    if (key.size() == number.size() && (key.utf16() == QStringView(number).utf16() || key == QStringView(number)))
        return number;
    return key.toString();
}

bool NumberComparison::SameNumber(const QString& a, const QString& b) const {
    KeyBuffer bufferA;
    KeyBuffer bufferB;
    return KeyView(a, bufferA) == KeyView(b, bufferB);
}
