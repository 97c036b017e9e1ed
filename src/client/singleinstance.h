#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace client {

// One copy of the program per desktop session. The mark "vorb24" is a lock file and a local
// server of that name in the user's runtime folder ($XDG_RUNTIME_DIR); a later copy finds the
// lock taken, asks the running copy through its server to bring its window forward, and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr char kMark[] = "vorb24";

    // An empty folder means the user's runtime folder.
    explicit SingleInstance(QString runtimeFolder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: the mark is then held, and requests from later copies
    // arrive as raiseRequested, until this object is destroyed. False when another copy
    // holds the mark; it has been asked to raise its window. A lock left by a copy that
    // crashed is taken over. When the mark cannot be made at all (for instance the folder
    // is not writable) the copy runs: true.
    bool acquire();

    QString lockFilePath() const;
    QString serverName() const;

Q_SIGNALS:
    // A later copy asked for this copy's window to be restored and brought to the front.
    void raiseRequested();

private:
    void listen();
    void serve(QLocalSocket* socket);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace client
