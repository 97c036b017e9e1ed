#include "windows/snapshotfolder.h"

#include "media/jpegwriter.h"

#include <QDir>
#include <QImage>

namespace windows {

QString SnapshotFolder::pathOf(int number) const
{
    return QDir(folder_).filePath(QStringLiteral("snapshot%1.jpg").arg(number));
}

std::optional<QString> SnapshotFolder::save(const QImage& picture, int number)
{
    const QString path = pathOf(number);
    if (!QDir().mkpath(folder_))
        return QStringLiteral("Unable to create the folder %1 for %2")
            .arg(QDir::toNativeSeparators(folder_), QDir::toNativeSeparators(path));
    return media::writeJpeg(picture, path);
}

} // namespace windows
