#include "protocol/windows1252.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(Windows1252, TypographicCharactersSurviveTheRoundTrip)
{
    const QString text = QStringLiteral("baker\u2019s \u20ac5 caf\u00e9 \u2013 na\u00efve");
    const QByteArray bytes = toWindows1252(text);
    EXPECT_EQ(bytes, QByteArray("baker\x92s \x80"
                                "5 caf\xe9 \x96 na\xefve"));
    EXPECT_EQ(fromWindows1252(bytes), text);
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(toWindows1252(QStringLiteral("a\u4e2d b")), "a? b");
    EXPECT_EQ(toWindows1252(QString::fromUtf8("\xF0\x9F\x98\x80!")), "?!"); // one emoji, one "?"
}

TEST(Windows1252, ATypedTerminatorCharacterIsReplaced)
{
    // "ÿ" is byte 0xFF in this code page: it would cut the message that carries it.
    EXPECT_EQ(toWindows1252(QStringLiteral("y\u00ffy")), "y?y");
    EXPECT_EQ(fromWindows1252("\xFF"), QStringLiteral("\u00ff"));
}
