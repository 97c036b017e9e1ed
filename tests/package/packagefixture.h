#pragma once

#include "package/debpackage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace package {

inline QString toolText(const e2e::ToolResult& r)
{
    return QString::fromLocal8Bit(r.out + r.err);
}

// One package and one unpacked tree for every case: building and unpacking take seconds.
class DebianPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_work = std::make_unique<QTemporaryDir>();
        if (!s_work->isValid())
            return;
        // The unprivileged user who runs the game must reach the unpacked tree.
        QFile::setPermissions(s_work->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup | QFile::ReadOther |
                                                  QFile::ExeOther);
        s_deb = package::buildDebian(QStringLiteral(QUILLON_BUILD_DIR),
                                     s_work->filePath(QStringLiteral("out")), &s_log);
        if (!s_deb)
            return;
        s_root = s_work->filePath(QStringLiteral("root"));
        const e2e::ToolResult unpacked =
            e2e::runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), *s_deb, s_root},
                         QProcessEnvironment::systemEnvironment());
        s_log += unpacked.out + unpacked.err;
        if (unpacked.ok())
            s_readOnly = std::make_unique<package::ReadOnlyTree>(s_root);
    }

    static void TearDownTestSuite()
    {
        s_readOnly.reset(); // writable again, so the temporary folder can go
        s_work.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_deb.has_value()) << "no package: " << s_log.constData();
        ASSERT_TRUE(s_readOnly && s_readOnly->isReady()) << "not unpacked: " << s_log.constData();
    }

    // Where the package's file `path` (absolute as installed, or relative) is in the tree.
    static QString installed(QString path)
    {
        while (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        return QDir(s_root).filePath(path);
    }
    static QStringList filesIn(const QString& folder, const QString& pattern)
    {
        QStringList files;
        const QDir dir(installed(folder));
        for (const QString& name : dir.entryList({pattern}, QDir::Files))
            files << dir.filePath(name);
        return files;
    }

    static inline std::unique_ptr<QTemporaryDir> s_work;
    static inline std::optional<QString> s_deb;
    static inline QString s_root;
    static inline QByteArray s_log;
    static inline std::unique_ptr<package::ReadOnlyTree> s_readOnly;
};

} // namespace package
