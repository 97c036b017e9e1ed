#include "media/albumfolder.h"

#include "media/jpegwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>

namespace media {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A new, hidden, empty folder in `parent`, made with the usual permissions (a QTemporaryDir
// would be private to its owner, and so would the album it becomes). Empty if none can be made.
QString makeWorkFolder(const QDir& parent)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name =
            QStringLiteral(".album-%1")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        if (parent.mkdir(name))
            return parent.filePath(name);
        if (!QFileInfo(parent.filePath(name)).exists())
            break; // not a clash of names: the folder cannot be made at all
    }
    return {};
}

std::optional<QString> writePng(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return writer.errorString();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

bool taken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink(); // a dangling link is in the way too
}

} // namespace

AlbumWriteResult writeAlbumFolder(const QString& parent, const QString& name, const QImage& sheet,
                                  const std::vector<QImage>& pictures)
{
    QDir parentDir(parent);
    const QString wanted = parentDir.filePath(name);
    const auto failed = [&](const QString& why) {
        return AlbumWriteResult{
            {}, QStringLiteral("Cannot save the album to %1: %2").arg(native(wanted), why)};
    };
    if (name.isEmpty() || name == u'.' || name == QLatin1String("..") || name.contains(u'/') ||
        name.contains(QDir::separator()))
        return failed(QStringLiteral("\"%1\" is not a folder name").arg(name));
    const QFileInfo parentInfo(parent);
    if (!parentInfo.exists())
        return failed(QStringLiteral("the folder %1 does not exist").arg(native(parent)));
    if (!parentInfo.isDir())
        return failed(QStringLiteral("%1 is not a folder").arg(native(parent)));

    const QString work = makeWorkFolder(parentDir);
    if (work.isEmpty())
        return failed(QStringLiteral("no folder can be made in %1").arg(native(parent)));
    auto removeWork = qScopeGuard([&work] { QDir(work).removeRecursively(); });

    if (const std::optional<QString> why = writePng(sheet, work + QStringLiteral("/Album.png")))
        return failed(QStringLiteral("Album.png: %1").arg(*why));
    const int digits = std::max(2, static_cast<int>(QString::number(pictures.size()).size()));
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const QString file = QStringLiteral("Turn %1.jpg").arg(i + 1, digits, 10, QLatin1Char('0'));
        if (std::optional<QString> why = writeJpeg(pictures[i], work + u'/' + file))
            // Named by where the picture was to be, not by the folder that is removed now.
            return {{}, why->replace(native(work), native(wanted))};
    }

    for (int copy = 1; copy <= 1000; ++copy) {
        const QString candidate = copy == 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(copy);
        const QString target = parentDir.filePath(candidate);
        if (taken(target))
            continue;
        // Qt renames without replacing where the system can, so a folder that appeared just
        // now is never overwritten: the rename fails and the next number is tried.
        if (parentDir.rename(QFileInfo(work).fileName(), candidate)) {
            removeWork.dismiss();
            return {target, std::nullopt};
        }
        if (!taken(target))
            return failed(QStringLiteral("the folder cannot be renamed into place"));
    }
    return failed(QStringLiteral("too many albums of that name"));
}

} // namespace media
