// The desktop shell: programs with their parameters, and files that are missing.
#include "windowstest.h"

using namespace windowstest;

namespace {

TEST(DesktopShell, StartsAProgramWithItsParametersInTheFolder)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "uses a shell script";
#else
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile script(folder.filePath(QStringLiteral("record.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s|' \"$@\" > out.tmp\npwd >> out.tmp\nmv out.tmp out.txt\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);

    windows::DesktopShell shell;
    const int result = shell.open(QStringLiteral("record.sh"),
                                  QStringLiteral("/silent \"two words\""), folder.path());
    EXPECT_TRUE(Shell::succeeded(result)) << result;

    QFile out(folder.filePath(QStringLiteral("out.txt")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return out.exists(); }, 5000));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QString recorded = QString::fromUtf8(out.readAll()).trimmed();
    EXPECT_EQ(recorded, QStringLiteral("/silent|two words|") + QDir(folder.path()).canonicalPath());
#endif
}

TEST(DesktopShell, AMissingFileIsReportedAsNotFound)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    windows::DesktopShell shell;
    EXPECT_EQ(shell.open(QStringLiteral("zlbsetup.exe"), QStringLiteral("/SP-"), folder.path()),
              Shell::kFileNotFound);
    EXPECT_EQ(shell.open(folder.filePath(QStringLiteral("nothing.txt")), QString(), QString()),
              Shell::kFileNotFound);
    EXPECT_FALSE(Shell::succeeded(shell.open(QString(), QString(), QString())));
}

// Addresses go to the desktop's opener, xdg-open, found on PATH: a recording stand-in
// shows exactly what reaches it.
TEST(DesktopShell, AnAddressReachesTheDesktopsOpenerAsItIs)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "uses a shell script";
#else
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString record = folder.filePath(QStringLiteral("opened.txt"));
    QFile opener(folder.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                     .arg(record)
                     .toUtf8());
    opener.close();
    opener.setPermissions(opener.permissions() | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder.path().toUtf8() + ':' + path);

    windows::DesktopShell shell;
    const int result = shell.open(QStringLiteral("http://www.example.com/Page"), {}, {});
    qputenv("PATH", path);
    EXPECT_TRUE(Shell::succeeded(result)) << result;
    QFile out(record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return out.exists(); }, 5000));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().trimmed(), QByteArray("http://www.example.com/Page"));
#endif
}

} // namespace
