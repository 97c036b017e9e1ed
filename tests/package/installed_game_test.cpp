// The game as installed from the package: its folder is not the user's to write, so the
// settings go to the user's configuration folder and nothing is written beside the program.
#include "support/eventloop.h"

#include "package/packagefixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using e2e::Display;
using package::DebianPackage;
using package::desktopEntryValue;

// The stored window place, from the [Quillon] section of a settings file.
QRect storedPlace(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    int left = -1, top = -1, width = -1, height = -1;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('['))
            inGroup = line == "[Quillon]";
        const QList<QByteArray> pair = line.split('=');
        if (!inGroup || pair.size() != 2)
            continue;
        for (auto [key, value] : {std::pair{"Left", &left}, std::pair{"Top", &top},
                                  std::pair{"Width", &width}, std::pair{"Height", &height}}) {
            if (pair[0] == key)
                *value = pair[1].toInt();
        }
    }
    return {left, top, width, height};
}

} // namespace

TEST_F(DebianPackage, TheInstalledGameKeepsItsSettingsInTheUsersHomeAndNothingBesideItself)
{
    // The game the menu starts, for a user with a home of their own and no XDG folders set.
    const QString entry =
        installed(QStringLiteral("usr/share/applications/com.zelk42.Quillon.desktop"));
    const QString program =
        installed(desktopEntryValue(entry, QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0));
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << qPrintable(program);
    QTemporaryDir user;
    ASSERT_TRUE(user.isValid());
    QFile::setPermissions(user.path(),
                          QFile::permissions(user.path()) | QFile::ReadOther | QFile::ExeOther);
    const QString home = user.filePath(QStringLiteral("home"));
    // A private runtime folder for the game's single-instance mark (it has no default in
    // the home folder).
    const QString runtime = user.filePath(QStringLiteral("runtime"));
    for (const QString& folder : {home, runtime}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(package::giveToUnprivilegedUser(folder)) << qPrintable(folder);
    }
    const QStringList installedBefore = package::treeListing(s_root);

    Display display;
    ASSERT_TRUE(display.start()) << qPrintable(display.log());
    ASSERT_TRUE(display.startWindowManager());
    QProcessEnvironment environment = display.environment();
    for (const QString& name : environment.keys()) {
        if (name.startsWith(QLatin1String("XDG_")))
            environment.remove(name);
    }
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QProcess game;
    game.setProcessEnvironment(environment);
    game.setWorkingDirectory(home);
    game.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command = package::asUnprivilegedUser(program);
    game.start(command.first(), command.mid(1));
    ASSERT_TRUE(game.waitForStarted(e2e::kStartMs)) << qPrintable(game.errorString());

    // A solo start: the window opens by itself. The player moves it, then closes it through
    // the window manager, which is when the game stores its place.
    const std::optional<quint64> window = display.waitForWindow(game.processId());
    ASSERT_TRUE(window.has_value()) << game.readAll().constData();
    const std::optional<QRect> opened = display.outerGeometry(*window);
    ASSERT_TRUE(opened.has_value());
    display.tool(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(*window),
                                             QStringLiteral("40"), QStringLiteral("50")});
    std::optional<QRect> moved;
    EXPECT_TRUE(support::spinUntil(
        [&] {
            moved = display.outerGeometry(*window);
            return moved.has_value() && moved->topLeft() != opened->topLeft();
        },
        e2e::kToolMs));
    display.tool(QStringLiteral("xdotool"),
                 {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                  QString::number(*window), QStringLiteral("key"), QStringLiteral("alt+F4")});
    const bool ended =
        support::spinUntil([&] { return game.state() == QProcess::NotRunning; }, e2e::kStartMs);
    if (!ended) {
        game.kill();
        game.waitForFinished(5000);
    }
    const QByteArray output = game.readAll();
    ASSERT_TRUE(ended) << "the game did not end on its window's close: " << output.constData();
    EXPECT_EQ(game.exitStatus(), QProcess::NormalExit) << output.constData();
    EXPECT_EQ(game.exitCode(), 0) << output.constData();

    const QString settings = QDir(home).filePath(QStringLiteral(".config/Quillon/zelklobby.ini"));
    ASSERT_TRUE(QFileInfo::exists(settings)) << output.constData();
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(storedPlace(settings), *moved);
    EXPECT_EQ(package::treeListing(s_root), installedBefore);
}
