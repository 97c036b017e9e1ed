#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QTcpServer;
class QTcpSocket;

namespace lobby {

// The lobby's end of the game's silent link: a listener on the loopback address that
// accepts the link every copy of the game opens once it has started its table, and holds it
// until the game ends. Nothing is sent; whatever arrives is read and dropped, so a chatty
// local program costs nothing. A game that closes its link has ended.
class LobbyListener : public QObject {
    Q_OBJECT
public:
    // Links held at once; more are closed at once (one desktop runs one game; a few more
    // cover copies on other desktops of this computer).
    static constexpr int kMaxLinks = 16;

    explicit LobbyListener(QObject* parent = nullptr);
    ~LobbyListener() override;

    // Listens on 127.0.0.1 at `port` (0: any free port, for tests). False with the reason in
    // `error` when the port is taken.
    bool listen(quint16 port, QString* error = nullptr);
    bool isListening() const;
    quint16 port() const;

    int openLinks() const { return static_cast<int>(m_links.size()); }

Q_SIGNALS:
    void linksChanged(int openLinks);

private:
    void accept();
    void drop(QTcpSocket* link);

    QTcpServer* m_server = nullptr;
    std::vector<QTcpSocket*> m_links;
};

} // namespace lobby
