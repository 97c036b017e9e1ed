#pragma once

// Real game windows at a quillon-host on a free port, for the fault cases: the places in
// the window the cases click and look at, a window opened at a given place with given
// settings (as root, or as an unprivileged user), its board as a picture, and the message
// boxes it opens, read back with OCR.
#include "e2e/e2efixture.h"
#include "support/hostprocess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <unistd.h>

namespace e2e::faults {

// Places relative to the window's top left (no window manager: the menu bar is 19 pixels).
inline constexpr QPoint kBoardAt{2, 88};
inline constexpr QSize kBoardSize{533, 369};
// The turn clock's time and bar.
inline constexpr QRect kClock{430, 68, 100, 17};
inline constexpr QPoint kSnapshotButton{482, 31};
inline constexpr QPoint kFileMenu{18, 9};
inline constexpr QPoint kChatEntry{639, 501};
// The message boxes' caption.
inline constexpr char kBoxTitle[] = "Quillon";
// The unprivileged user and group the package test runs its game as.
inline constexpr uid_t kNobody = 65534;

class FaultsDesktop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display.start({1280, 1200})) << qPrintable(display.log()); }

    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "host's log:\n%s\n", qPrintable(table.log().right(4000)));
    }

    // Starts the host with a clock second of `secondMs` and seats bot Cy in slot 1.
    void openTable(int secondMs)
    {
        ASSERT_TRUE(table.start({QStringLiteral("--second-ms"), QString::number(secondMs)}))
            << qPrintable(table.log());
        ASSERT_TRUE(cy.connectTo(table.port()));
        ASSERT_TRUE(cy.login("Cy"));
        ASSERT_EQ(cy.slot(), 1);
    }

    // The settings a window starts with: its place, and more it must keep.
    static QStringList settingsAt(int left, int top)
    {
        return {QStringLiteral("Left=%1").arg(left), QStringLiteral("Top=%1").arg(top),
                QStringLiteral("Width=797"),         QStringLiteral("Height=541"),
                QStringLiteral("Snapcount=7"),       QStringLiteral("Textsize=10"),
                QStringLiteral("Playsounds=false")};
    }

    // Starts a copy named `name` at the table (`program`: the folder's program to run, the
    // game itself unless a wrapper is asked for) and waits for its window.
    std::optional<quint64> join(GameProcess& game, const GameFolder& home, const char* name,
                                const QString& program = QString())
    {
        const QStringList args{QString::fromLatin1(name),
                               QStringLiteral("127.0.0.1:%1").arg(table.port()),
                               QStringLiteral("false")};
        const bool started = program.isEmpty() ? game.start(home, args, &display)
                                               : game.startProgram(home, program, args, &display);
        if (!started ||
            !table.waitForLog(QStringLiteral("logged in as \"%1\"").arg(QLatin1String(name))))
            return std::nullopt;
        return display.waitForWindow(game.pid());
    }

    QImage board(quint64 window, const QString& name)
    {
        return part(window, name, {kBoardAt, kBoardSize});
    }
    // A part of the window's picture (kept whole as NAME.png).
    QImage part(quint64 window, const QString& name, const QRect& area)
    {
        const std::optional<QString> path = display.screenshot(name, window);
        return path ? QImage(*path).copy(area) : QImage();
    }

    // The message box `pid` shows, once it shows one.
    std::optional<quint64> waitForBox(qint64 pid, int timeoutMs = kToolMs)
    {
        QList<quint64> boxes;
        support::spinUntil(
            [&] {
                boxes = display.findWindows(pid, QLatin1String(kBoxTitle));
                return !boxes.isEmpty();
            },
            timeoutMs);
        if (boxes.size() != 1)
            return std::nullopt;
        return boxes.front();
    }

    // The box's text as tesseract reads it (enlarged four times; kept as NAME.png), with
    // every blank and line break taken out: a long path may be wrapped anywhere.
    QString readBox(quint64 box, const QString& name)
    {
        const std::optional<QString> shot = display.screenshot(name, box);
        if (!shot)
            return {};
        const QImage picture(*shot);
        const QString enlarged = artifactPath(name + QStringLiteral("-x4"));
        picture.scaled(picture.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .save(enlarged);
        const ToolResult read =
            runTool(QStringLiteral("tesseract"), {enlarged, QStringLiteral("stdout")},
                    QProcessEnvironment::systemEnvironment());
        EXPECT_TRUE(read.ok()) << "tesseract failed (is tesseract-ocr installed?): "
                               << read.err.constData();
        QString text = QString::fromUtf8(read.out);
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        return text;
    }

    // Presses Return in the box (the keyboard follows the pointer on a desktop without a
    // window manager) and waits for it to close.
    bool dismiss(quint64 box, qint64 pid)
    {
        display.tool(QStringLiteral("xdotool"),
                     {QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(box),
                      QStringLiteral("20"), QStringLiteral("20"), QStringLiteral("key"),
                      QStringLiteral("Return")});
        return support::spinUntil(
            [&] { return display.findWindows(pid, QLatin1String(kBoxTitle)).isEmpty(); }, kToolMs);
    }

    Display display;
    support::HostProcess table{QStringLiteral(QUILLON_HOST_BINARY)};
    support::TestBot cy;
};

// A wrapper beside the game that runs it as the unprivileged user, the way a player without
// root runs it; the folder, its program, runtime and home folders become that user's. As
// root the wrapper would be pointless (root writes whatever it likes), so it is only made
// when the test runs as root; otherwise it runs the game as it is.
inline std::optional<QString> unprivilegedLauncher(const GameFolder& home)
{
    const QString name = QStringLiteral("as-player");
    const bool root = ::geteuid() == 0;
    QFile script(QDir(home.path()).filePath(name));
    if (!script.open(QIODevice::WriteOnly))
        return std::nullopt;
    script.write(root ? "#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups "
                        "-- \"$(dirname \"$0\")/quillon\" \"$@\"\n"
                      : "#!/bin/sh\nexec \"$(dirname \"$0\")/quillon\" \"$@\"\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                          QFileDevice::ExeOther);
    if (root) {
        for (const QString& path :
             {home.path(), home.executable(), home.runtimeDir(), home.homeDir()}) {
            if (::chown(QFile::encodeName(path).constData(), kNobody, kNobody) != 0)
                return std::nullopt;
        }
    }
    return name;
}

} // namespace e2e::faults
