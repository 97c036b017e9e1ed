// The real window on a private desktop, driven by the keyboard and mouse as a player would:
// typed keys go into the guess or the chat entry and never press a button, and a "www."
// address in the transcript reaches the desktop's opener (a recording xdg-open first on
// PATH) as a web address.
#include "e2e/evening.h"
#include "e2e/fakehost.h"
#include "protocol/version.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using e2e::FakeHost;
using e2e::GameFolder;
using e2e::GameProcess;
using e2e::term;

const QByteArray kLogin = QByteArray("CMD_logininfo+2+") + protocol::kVersion + "+Tess";

class TypingDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start()) << qPrintable(display.log());
        ASSERT_TRUE(home.isReady() && opener.isValid());
        ASSERT_TRUE(host.listen());
        QFile script(opener.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                .arg(opened())
                .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        game.setEnvironment(QStringLiteral("PATH"),
                            opener.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(host.port());
        ASSERT_TRUE(
            game.start(home, {QStringLiteral("Tess"), address, QStringLiteral("false")}, &display));
        ASSERT_TRUE(host.accept(e2e::kStartMs));
        host.send(term("CMD_sendlogininfo+2"));
        ASSERT_TRUE(support::spinUntil([&] { return host.countOf(kLogin) == 1; }, e2e::kStartMs));
        host.send(term("CMD_newplayerinfo+2+Tess") + term("CMD_existingplayers+1+Ann"));
        const std::optional<quint64> found = display.waitForWindow(game.pid());
        ASSERT_TRUE(found.has_value());
        window = *found;
    }

    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "window's log:\n%s\n", qPrintable(game.log()));
    }

    QString opened() const { return opener.filePath(QStringLiteral("opened.txt")); }

    // Sends `message` and waits until the window has handled it: the window handles the
    // host's lines in order, so its answer to the login request that follows comes after.
    bool handled(const QByteArray& message)
    {
        const qsizetype before = host.countOf(kLogin);
        host.send(term(message) + term("CMD_sendlogininfo+2"));
        return support::spinUntil([&] { return host.countOf(kLogin) > before; }, e2e::kToolMs);
    }

    void typeLine(const QString& text) const
    {
        hands.xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
        hands.xdo({QStringLiteral("key"), QStringLiteral("Return")});
    }

    e2e::Display display;
    e2e::evening::Hands hands{display};
    GameFolder home{e2e::gameBinary()};
    QTemporaryDir opener;
    GameProcess game;
    FakeHost host;
    quint64 window = 0;
};

} // namespace

TEST_F(TypingDesktop, KeysGoIntoTheGuessOrTheChatEntryAndNeverPressAButton)
{
    hands.focus(window);
    ASSERT_TRUE(handled("CMD_nextplayer+1+0+____"));
    typeLine(QStringLiteral("barn"));
    EXPECT_TRUE(
        support::spinUntil([&] { return host.countOf("CMD_answer+2+barn") == 1; }, e2e::kToolMs));

    // The player's own turn takes the guess entry away; what is typed next goes to the chat.
    ASSERT_TRUE(handled("CMD_nextplayer+2+0+____"));
    typeLine(QStringLiteral("big red barn"));
    EXPECT_TRUE(support::spinUntil(
        [&] { return host.countOf("CMD_chat+2+big red barn|clMaroon") == 1; }, e2e::kToolMs));
    EXPECT_TRUE(handled("CMD_chat+Ann chats: after|clBlack")); // the window is past it all
    EXPECT_EQ(host.countOf("CMD_action+2+Way To Go!|clBlack"), 0);
    EXPECT_EQ(host.countOf("CMD_answer+2+big red barn"), 0);
}

TEST_F(TypingDesktop, AWwwLinkInTheTranscriptOpensAsAWebAddress)
{
    // Lines that are one link from end to end fill the transcript, so a click anywhere in it
    // lands on one.
    const QString address = QStringLiteral("www.example.com/") + QString(300, QLatin1Char('a'));
    QByteArray lines;
    for (int i = 0; i < 12; ++i)
        lines += term("CMD_chat+" + address.toLatin1() + "|clBlack");
    ASSERT_TRUE(handled(lines));
    hands.click(window, e2e::evening::kTranscript.center());
    QFile out(opened());
    ASSERT_TRUE(support::spinUntil([&] { return out.exists(); }, e2e::kToolMs));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(out.readAll().trimmed()), QStringLiteral("http://") + address);
}
