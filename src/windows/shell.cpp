#include "windows/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace windows {

namespace {

// "http://host", "mailto:someone", "file:///tmp/x" are addresses; "C:\Games\x.exe" is not:
// a one-letter scheme is a drive.
bool isAddress(const QUrl& url)
{
    return url.isValid() && url.scheme().size() > 1;
}

// Hands an address to the desktop's program for it. On the free desktops that is xdg-open,
// called directly: Qt reaches it only through a platform plugin that offers desktop
// services, which the offscreen and minimal ones do not.
bool openWithDesktop(const QUrl& url)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // A URL starts with its scheme, never with "-": it cannot pass as an option.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
#else
    return QDesktopServices::openUrl(url);
#endif
}

} // namespace

int DesktopShell::open(const QString& fileOrAddress, const QString& parameters,
                       const QString& folder)
{
    if (fileOrAddress.isEmpty())
        return kFileNotFound;

    const QUrl url(fileOrAddress);
    QString path = fileOrAddress;
    if (isAddress(url)) {
        if (!url.isLocalFile())
            return openWithDesktop(url) ? kOpened : kNoAssociation;
        path = url.toLocalFile();
    }

    const QDir base(folder.isEmpty() ? QDir::currentPath() : folder);
    const QFileInfo item(base, QDir::fromNativeSeparators(path));
    if (!item.exists())
        return kFileNotFound;

    if (item.isFile() && item.isExecutable()) {
        const QString workingFolder = folder.isEmpty() ? item.absolutePath() : base.absolutePath();
        return QProcess::startDetached(item.absoluteFilePath(), QProcess::splitCommand(parameters),
                                       workingFolder)
                   ? kOpened
                   : kNotStarted;
    }
    return openWithDesktop(QUrl::fromLocalFile(item.absoluteFilePath())) ? kOpened : kNoAssociation;
}

} // namespace windows
