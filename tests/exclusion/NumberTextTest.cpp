#include "exclusion/NumberText.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    const char16_t* raw;
    const char16_t* normalised;
    bool valid; // IsValidNumberText of the normalised text
};

TEST(NumberTextTest, NormaliseThenValidate) {
    const NumberCase cases[] = {
        {u"( 0044) 20-7946", u"0044207946", true},
        {u"+4412", u"+4412", true},
        {u"+44+12", u"+44+12", false},
        {u"44+12", u"44+12", false},
        {u"++4412", u"++4412", false},
        {u"123456789012345678901", u"123456789012345678901", false}, // 21 digits
        {u"12345678901234567890", u"12345678901234567890", true},    // 20 digits
        {u"+1234567890123456789", u"+1234567890123456789", true},    // 20 with the '+'
        {u"12a4", u"12a4", false},
        {u"12,34", u"12,34", false},
        {u"", u"", false},
        {u" - ( ) ", u"", false},
        {u"+", u"+", false},                       // no digit at all
        {u"\t123", u"\t123", false},               // a tab is not removed by NormalizeNumber (callers trim)
        {u"\uFF11\uFF12", u"\uFF11\uFF12", false}, // full-width digits are not digits here
    };
    for (const NumberCase& c : cases) {
        const QString raw = QString::fromUtf16(c.raw);
        const QString normalised = NormalizeNumber(raw);
        EXPECT_EQ(normalised, QString::fromUtf16(c.normalised)) << raw.toStdString();
        EXPECT_EQ(IsValidNumberText(normalised), c.valid) << raw.toStdString();
    }
}

TEST(NumberTextTest, HyphensAreValidWhenNotNormalised) {
    // Typed exclusion numbers are stored as typed, so '-' must pass the validity rule.
    EXPECT_TRUE(IsValidNumberText(QStringLiteral("0044-20-7946")));
    EXPECT_TRUE(IsValidNumberText(QStringLiteral("+44-20")));
    EXPECT_FALSE(IsValidNumberText(QStringLiteral("---")));
    EXPECT_FALSE(IsValidNumberText(QStringLiteral("-+44")));
}

// Characters whose case behaviour is unusual: sharp s, dotted and dotless i, the Kelvin sign, final sigma,
// title-case digraphs, a ligature, Deseret (outside the BMP), Cherokee, and unpaired surrogates.
const char16_t kTrickyUnits[] = {u'a',   u'A',   0x00DF, 0x1E9E, 0x0130, 0x0131, u'i',   u'I',   0x212A, u'k',   0x03C3,
                                 0x03C2, 0x03A3, 0xFB00, 0xD801, 0xDC00, 0xDC28, 0xD800, 0x01C5, 0x01C4, 0x01C6, 0x0345,
                                 0x0399, 0x03B9, u'1',   u'+',   0xFFFD, 0x10A0, 0x2D00, 0x13A0, 0xAB70, u' ',   u'-'};

QString RandomTricky(QRandomGenerator& random, int maxLength) {
    QString s;
    const int length = static_cast<int>(random.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        s.append(QChar(kTrickyUnits[random.bounded(static_cast<quint32>(std::size(kTrickyUnits)))]));
    return s;
}

TEST(NumberTextTest, CaseFoldedKeysAreEqualExactlyWhenQtComparesEqualIgnoringCase) {
    QRandomGenerator random(4711);
    for (int i = 0; i < 200000; ++i) {
        const QString a = RandomTricky(random, 3);
        const QString b = RandomTricky(random, 3);
        const bool same = QString::compare(a, b, Qt::CaseInsensitive) == 0;
        ASSERT_EQ(CaseFoldedKey(a) == CaseFoldedKey(b), same) << "a=" << a.toStdString() << " b=" << b.toStdString();
    }
}

TEST(NumberTextTest, KeyOfANumberSharesItsData) {
    const QString number = QStringLiteral("+447900123456");
    const QString key = CaseFoldedKey(number);
    EXPECT_EQ(key, number);
    EXPECT_EQ(key.constData(), number.constData());
}

} // namespace
