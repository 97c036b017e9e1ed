// The Debian package as a user gets it: built from this build folder with cpack, judged by
// Debian's own tools (lintian, desktop-file-validate, appstreamcli), unpacked as dpkg would
// install it and made read-only, and its game run from there on a desktop with a fresh home.
#include "package/packagefixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using e2e::ToolResult;
using package::DebianPackage;
using package::desktopEntryValue;
using package::toolText;

TEST_F(DebianPackage, LintianFindsNoErrors)
{
    const ToolResult lintian =
        e2e::runTool(QStringLiteral("lintian"), {*s_deb}, QProcessEnvironment::systemEnvironment(),
                     package::kPackMs);
    ASSERT_TRUE(lintian.finished) << qPrintable(toolText(lintian));
    // Warnings and notes may stay; an error (a line "E: ...") is a broken package.
    EXPECT_FALSE(lintian.out.startsWith("E: ") || lintian.out.contains("\nE: "))
        << qPrintable(toolText(lintian));
    EXPECT_EQ(lintian.exitCode, 0) << qPrintable(toolText(lintian));
}

TEST_F(DebianPackage, MenuEntriesMetadataAndServiceAreValidAndPointIntoThePackage)
{
    const QStringList entries =
        filesIn(QStringLiteral("usr/share/applications"), QStringLiteral("*.desktop"));
    EXPECT_EQ(entries.size(), QUILLON_MENU_ENTRIES);
    for (const QString& entry : entries) {
        const ToolResult valid = e2e::runTool(QStringLiteral("desktop-file-validate"), {entry},
                                              QProcessEnvironment::systemEnvironment());
        EXPECT_TRUE(valid.ok() && valid.out.isEmpty()) << qPrintable(toolText(valid));
        // The menu starts a program of this package, with an icon of this package.
        const QString program =
            desktopEntryValue(entry, QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
        EXPECT_TRUE(QFileInfo(installed(program)).isExecutable())
            << qPrintable(entry) << ": Exec " << qPrintable(program);
        // Both open invite links (the game hands them to the launcher).
        EXPECT_EQ(desktopEntryValue(entry, QStringLiteral("MimeType")),
                  QStringLiteral("x-scheme-handler/quillon;"))
            << qPrintable(entry);
        const QString icon = desktopEntryValue(entry, QStringLiteral("Icon"));
        EXPECT_TRUE(QFileInfo::exists(
            installed(QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(icon))))
            << qPrintable(entry) << ": Icon " << qPrintable(icon);
    }

    const QStringList metainfo =
        filesIn(QStringLiteral("usr/share/metainfo"), QStringLiteral("*.metainfo.xml"));
    ASSERT_FALSE(metainfo.isEmpty());
    for (const QString& file : metainfo) {
        const ToolResult valid =
            e2e::runTool(QStringLiteral("appstreamcli"),
                         {QStringLiteral("validate"), QStringLiteral("--no-net"), file},
                         QProcessEnvironment::systemEnvironment());
        EXPECT_TRUE(valid.ok()) << qPrintable(toolText(valid));
    }

    // Every program has its manual page, compressed the reproducible way.
    const QStringList programs =
        QDir(QFileInfo(installed(desktopEntryValue(entries.value(0), QStringLiteral("Exec"))
                                     .section(QLatin1Char(' '), 0, 0)))
                 .path())
            .entryList(QDir::Files);
    EXPECT_EQ(programs.size(), QUILLON_MENU_ENTRIES + 1)
        << qPrintable(programs.join(QLatin1Char(' ')));
    for (const QString& name : programs) {
        const QString page = installed(QStringLiteral("usr/share/man/man6/%1.6.gz").arg(name));
        EXPECT_TRUE(package::isReproducibleGzip(page)) << qPrintable(page);
    }

    // The service template starts the packaged host.
    const QString unit = installed(QStringLiteral("usr/lib/systemd/system/quillon-host@.service"));
    QFile unitFile(unit);
    ASSERT_TRUE(unitFile.open(QIODevice::ReadOnly)) << qPrintable(unit);
    const QByteArray text = unitFile.readAll();
    const qsizetype at = text.indexOf("\nExecStart=");
    ASSERT_GE(at, 0);
    const QByteArray command = text.mid(at + 11, text.indexOf('\n', at + 1) - at - 11);
    EXPECT_TRUE(command.endsWith("/quillon-host --port %i")) << command.constData();
    EXPECT_TRUE(QFileInfo(installed(QString::fromUtf8(command.split(' ').first()))).isExecutable())
        << command.constData();
}
