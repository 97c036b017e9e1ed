// What the launcher makes of announcements heard on the local network: strangers' datagrams
// read strictly, tables kept by address, forgotten when they go quiet, and never too many.
#include "lobby/tablesheard.h"

#include <gtest/gtest.h>

using namespace lobby;

namespace {

const QString kSender = QStringLiteral("10.0.0.5");

} // namespace

TEST(Announcement, AWellFormedLineReadsAsTheTableItDescribes)
{
    const auto t = Announcement::read("QUILLON 1 7773 4 2 1 Ann and Bob");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->hostName, QStringLiteral("Ann and Bob")); // the name may hold spaces
    EXPECT_EQ(t->players, 4);
    EXPECT_EQ(t->spectators, 2);
    EXPECT_TRUE(t->gameRunning);

    const auto utf8 = Announcement::read("QUILLON 1 7772 0 0 0 Zo\xc3\xab \xe2\x82\xac");
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(utf8->hostName, QStringLiteral("Zo\u00eb \u20ac"));
    EXPECT_FALSE(utf8->gameRunning);

    // Rich text is kept as the characters it is made of; the list never renders it.
    const auto markup = Announcement::read("QUILLON 1 7772 1 0 0 <b>Eve</b>");
    ASSERT_TRUE(markup.has_value());
    EXPECT_EQ(markup->hostName, QStringLiteral("<b>Eve</b>"));

    const auto longName = Announcement::read("QUILLON 1 7772 1 0 0 " + QByteArray(100, 'x'));
    ASSERT_TRUE(longName.has_value());
    EXPECT_EQ(longName->hostName.size(), Announcement::kShownNameChars);
}

TEST(Announcement, AnythingElseIsDropped)
{
    const QByteArray bad[] = {
        "",
        "QUILLON 1 7772 1 0 0",                 // no name
        "QUILLON 1 7772 1 0 0 ",                // empty name
        "QUILLON 1 7772 1 0 0    ",             // a name of blanks
        "QUILLON 2 7772 1 0 0 Ann",             // a version we do not know
        "quillon 1 7772 1 0 0 Ann",             // not our tag
        "QUILLON 1  7772 1 0 0 Ann",            // two spaces
        "QUILLON 1 0 1 0 0 Ann",                // port 0
        "QUILLON 1 65536 1 0 0 Ann",            // port out of range
        "QUILLON 1 99999999999 1 0 0 Ann",      // a number that would overflow
        "QUILLON 1 07772 1 0 0 Ann",            // leading zero
        "QUILLON 1 +7772 1 0 0 Ann",            // sign
        "QUILLON 1 7772 -1 0 0 Ann",            // negative players
        "QUILLON 1 7772 16 0 0 Ann",            // more players than seats
        "QUILLON 1 7772 1 16 0 Ann",            // more spectators than seats
        "QUILLON 1 7772 1 0 2 Ann",             // state neither 0 nor 1
        "QUILLON 1 7772 1 0 0 Ann\nBob",        // a control character in the name
        "QUILLON 1 7772 1 0 0 Ann\xe2\x80\xae", // a right-to-left override
        "QUILLON 1 7772 1 0 0 Ann\xff",         // not UTF-8
        "QUILLON 1 7772 1 0 0 Ann\xc3",         // a character cut in half
        "QUILLON 1 7772 1 0 0 " + QByteArray(Announcement::kMaxNameBytes + 1, 'x'),
        QByteArray("QUILLON 1 7772 1 0 0 Ann\0Bob", 28), // a NUL inside
    };
    for (const QByteArray& datagram : bad)
        EXPECT_EQ(Announcement::read(datagram), std::nullopt) << datagram.toStdString();
}

TEST(TablesHeard, KeptBySenderAndPortUpdatedAndForgottenWhenQuiet)
{
    TablesHeard heard;
    EXPECT_TRUE(heard.heard(kSender, "QUILLON 1 7772 1 0 0 Ann", 0));
    EXPECT_TRUE(heard.heard(kSender, "QUILLON 1 7773 0 0 0 Bob", 100)); // a second host there
    EXPECT_TRUE(heard.heard(QStringLiteral("10.0.0.6"), "QUILLON 1 7772 2 0 1 Cy", 200));
    ASSERT_EQ(heard.tables().size(), 3);
    EXPECT_EQ(heard.tables()[0].address, QStringLiteral("10.0.0.5:7772"));
    EXPECT_EQ(heard.tables()[1].address, QStringLiteral("10.0.0.5:7773"));
    EXPECT_EQ(heard.tables()[2].address, QStringLiteral("10.0.0.6:7772"));

    // The same again changes nothing a player sees, yet keeps the table alive.
    EXPECT_FALSE(heard.heard(kSender, "QUILLON 1 7772 1 0 0 Ann", 5000));
    EXPECT_FALSE(heard.heard(kSender, "garbage", 5000));
    EXPECT_TRUE(heard.heard(kSender, "QUILLON 1 7772 3 0 1 Ann", 5500));
    EXPECT_EQ(heard.tables()[0].players, 3);
    EXPECT_TRUE(heard.tables()[0].gameRunning);

    EXPECT_FALSE(heard.forget(100 + TablesHeard::kForgetAfterMs - 1));
    EXPECT_TRUE(heard.forget(200 + TablesHeard::kForgetAfterMs - 1)); // Bob went quiet
    ASSERT_EQ(heard.tables().size(), 2);
    EXPECT_EQ(heard.tables()[1].hostName, QStringLiteral("Cy"));
    EXPECT_TRUE(heard.forget(5500 + TablesHeard::kForgetAfterMs));
    EXPECT_TRUE(heard.tables().isEmpty());
}

TEST(TablesHeard, AFloodOfTablesKeepsAtMostTheLimitUntilSomeAreForgotten)
{
    TablesHeard heard;
    for (int i = 0; i < 1000; ++i)
        heard.heard(kSender, "QUILLON 1 " + QByteArray::number(1000 + i) + " 0 0 0 Spam", 0);
    ASSERT_EQ(heard.tables().size(), TablesHeard::kMaxTables);
    EXPECT_EQ(heard.tables().back().address, QStringLiteral("10.0.0.5:1031"));

    // Those already kept still update; a newcomer gets in once the flood has gone quiet.
    EXPECT_TRUE(heard.heard(kSender, "QUILLON 1 1000 1 0 0 Spam", 3000));
    EXPECT_FALSE(heard.heard(QStringLiteral("10.0.0.9"), "QUILLON 1 7772 0 0 0 Real", 3000));
    heard.forget(TablesHeard::kForgetAfterMs);
    ASSERT_EQ(heard.tables().size(), 1);
    EXPECT_TRUE(heard.heard(QStringLiteral("10.0.0.9"), "QUILLON 1 7772 0 0 0 Real", 6100));
    EXPECT_EQ(heard.tables().size(), 2);
}
