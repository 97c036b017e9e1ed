#include "client/userfolders.h"

#include "client/settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace client {

UserFolders userFolders(const QString& programFolder)
{
    const QDir program(programFolder);
    const QFileInfo folder(programFolder);
    if (folder.isDir() && folder.isWritable()) {
        return {program.filePath(QString::fromLatin1(kSettingsFileName)),
                program.filePath(QStringLiteral("snapshots")), programFolder, true};
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // The settings file is written in place, so its folder must be there first; the
    // snapshot folder is made by the first snapshot.
    QDir().mkpath(config);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return {QDir(config).filePath(QString::fromLatin1(kSettingsFileName)),
            QDir(pictures).filePath(QStringLiteral("Quillon")),
            QStandardPaths::writableLocation(QStandardPaths::DownloadLocation), false};
}

} // namespace client
