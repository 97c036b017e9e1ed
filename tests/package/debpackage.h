#pragma once

#include "e2e/desktop.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The Debian package as the build folder makes it, unpacked the way dpkg would install it,
// for tests that look at it from the outside: with Debian's own tools, and by running its
// programs as a user who may not write to the install.
namespace package {

// Bounds for cpack and lintian, which take seconds but may take long on a loaded machine.
inline constexpr int kPackMs = 300000;

// Runs cpack -G DEB with the build folder's configuration into `outDir`; the .deb's path,
// or nothing (then `log` says why).
std::optional<QString> buildDebian(const QString& buildDir, const QString& outDir, QByteArray* log);

// Every file, folder and link under `root`, one line each with its type, size, mode and
// modification time, sorted: equal listings mean nothing under `root` changed.
QStringList treeListing(const QString& root);

// `root` and everything in it made read-only (chmod -R a-w) for as long as this lives, as
// the files of a system install are to its users; writable again afterwards, so the
// temporary folder can be removed.
class ReadOnlyTree {
public:
    explicit ReadOnlyTree(QString root);
    ~ReadOnlyTree();
    ReadOnlyTree(const ReadOnlyTree&) = delete;
    ReadOnlyTree& operator=(const ReadOnlyTree&) = delete;
    bool isReady() const { return m_ready; }

private:
    QString m_root;
    bool m_ready = false;
};

// The value of `key` in a desktop entry's [Desktop Entry] group (empty when missing).
QString desktopEntryValue(const QString& file, const QString& key);

// Whether a file is gzip data compressed the reproducible way (gzip -n: no file name and no
// time stamp in the header).
bool isReproducibleGzip(const QString& file);

// The program line that runs `program` as an unprivileged user: root may write anywhere,
// so as root the program runs as nobody; anyone else runs it as themselves.
QStringList asUnprivilegedUser(const QString& program);
// Hands `path` to the user asUnprivilegedUser runs as (nothing to do unless root).
bool giveToUnprivilegedUser(const QString& path);

} // namespace package
