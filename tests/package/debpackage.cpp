#include "package/debpackage.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace package {

namespace {

// nobody:nogroup on Debian.
constexpr uid_t kNobody = 65534;

bool chmodTree(const QString& root, const char* mode)
{
    return e2e::runTool(QStringLiteral("chmod"),
                        {QStringLiteral("-R"), QString::fromLatin1(mode), root},
                        QProcessEnvironment::systemEnvironment())
        .ok();
}

} // namespace

std::optional<QString> buildDebian(const QString& buildDir, const QString& outDir, QByteArray* log)
{
    const e2e::ToolResult cpack =
        e2e::runTool(QStringLiteral(QUILLON_CPACK),
                     {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                      QDir(buildDir).filePath(QStringLiteral("CPackConfig.cmake")),
                      QStringLiteral("-B"), outDir},
                     QProcessEnvironment::systemEnvironment(), kPackMs);
    *log = cpack.out + cpack.err;
    const QStringList debs = QDir(outDir).entryList({QStringLiteral("*.deb")}, QDir::Files);
    if (!cpack.ok() || debs.size() != 1)
        return std::nullopt;
    return QDir(outDir).filePath(debs.first());
}

QStringList treeListing(const QString& root)
{
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const char* type = info.isSymLink() ? "link" : info.isDir() ? "dir" : "file";
        lines << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(QDir(root).relativeFilePath(info.filePath()), QLatin1String(type))
                     .arg(info.isDir() ? 0 : info.size())
                     .arg(static_cast<uint>(info.permissions()), 0, 16)
                     .arg(info.lastModified().toMSecsSinceEpoch());
    }
    lines.sort();
    return lines;
}

ReadOnlyTree::ReadOnlyTree(QString root) : m_root(std::move(root))
{
    m_ready = chmodTree(m_root, "a-w");
}

ReadOnlyTree::~ReadOnlyTree()
{
    chmodTree(m_root, "u+w");
}

QString desktopEntryValue(const QString& file, const QString& key)
{
    QFile entry(file);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inGroup = false;
    const QByteArray prefix = key.toUtf8() + '=';
    while (!entry.atEnd()) {
        const QByteArray line = entry.readLine().trimmed();
        if (line.startsWith('['))
            inGroup = line == "[Desktop Entry]";
        else if (inGroup && line.startsWith(prefix))
            return QString::fromUtf8(line.mid(prefix.size()));
    }
    return {};
}

bool isReproducibleGzip(const QString& file)
{
    QFile data(file);
    if (!data.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = data.read(10);
    // Magic, deflate, then the flags (FNAME is 0x08) and a four-byte time stamp.
    return header.size() == 10 && header.startsWith("\x1f\x8b\x08") && (header[3] & 0x08) == 0 &&
           header.mid(4, 4) == QByteArray(4, '\0');
}

QStringList asUnprivilegedUser(const QString& program)
{
    if (::geteuid() != 0)
        return {program};
    return {QStringLiteral("setpriv"),
            QStringLiteral("--reuid=%1").arg(kNobody),
            QStringLiteral("--regid=%1").arg(kNobody),
            QStringLiteral("--clear-groups"),
            QStringLiteral("--"),
            program};
}

bool giveToUnprivilegedUser(const QString& path)
{
    if (::geteuid() != 0)
        return true;
    const QByteArray name = QFile::encodeName(path);
    return ::chown(name.constData(), kNobody, kNobody) == 0;
}

} // namespace package
