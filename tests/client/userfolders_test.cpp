// Where the player's files go, and where the lobby's installer comes from.
#include "client/settingsfile.h"
#include "client/userfolders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace client;

TEST(UserFolders, AWritableProgramFolderKeepsEverythingBesideTheProgram)
{
    QTemporaryDir program;
    const UserFolders folders = userFolders(program.path());
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.settingsPath, program.filePath(QStringLiteral("zelklobby.ini")));
    EXPECT_EQ(folders.snapshotFolder, program.filePath(QStringLiteral("snapshots")));
    EXPECT_EQ(folders.downloadFolder, program.path());
}

TEST(UserFolders, AProgramFolderWeCannotWriteSendsThemToTheUsersFolders)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    // A program folder that is not a folder at all cannot be written by anybody (root too).
    QFile notAFolder(home.filePath(QStringLiteral("program")));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    const UserFolders folders = userFolders(notAFolder.fileName());
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(folders.portable);
    EXPECT_TRUE(folders.settingsPath.startsWith(home.filePath(QStringLiteral("config"))))
        << folders.settingsPath.toStdString();
    EXPECT_TRUE(folders.settingsPath.endsWith(QStringLiteral("/zelklobby.ini")));
    // The settings file is written in place: its folder is there already.
    EXPECT_TRUE(QFileInfo(folders.settingsPath).dir().exists());
    EXPECT_FALSE(folders.snapshotFolder.startsWith(notAFolder.fileName()));
}

TEST(LobbyDownload, TheServerIsASettingAndThePathIsFixed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelklobby.ini"));
    EXPECT_EQ(lobbyDownloadAddress(path),
              QStringLiteral("http://www.zelk42.com/lobby/zlbsetup.exe"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Quillon]\nLobbyServer= 127.0.0.1:8080 \n");
    file.close();
    EXPECT_EQ(lobbyDownloadAddress(path),
              QStringLiteral("http://127.0.0.1:8080/lobby/zlbsetup.exe"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Quillon]\nLobbyServer=\n");
    file.close();
    EXPECT_EQ(lobbyDownloadAddress(path),
              QStringLiteral("http://www.zelk42.com/lobby/zlbsetup.exe"));
}
