#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class LauncherForm;
}

namespace lobby {

class GameLauncher;
class LobbyListener;
class TableFinder;

// Looks up a host name and answers with an empty text when it resolves, or why not. The
// answer may come later, from the event loop; `context` going away cancels it.
using HostLookup = std::function<void(const QString& host, QObject* context,
                                      std::function<void(const QString& error)> done)>;

// Looks up through the system's resolver without blocking the window.
HostLookup systemHostLookup();

inline constexpr char kTitle[] = "Quillon Lobby";
inline constexpr char kStartingTitle[] = "Quillon Lobby - Starting";
inline constexpr char kRunningTitle[] = "Quillon Lobby - Table Running";

// The launcher's window: the player's name, host or join, the address; Start runs the game
// with the lobby's command line. While the game it started runs nothing here starts
// another; other copies of the game on this computer (their links included) do not count.
// The address is taken as typed: remembered ones are offered in a popup, never completed
// into the box. A notice about the name follows its editing and goes once the name is fine.
// While the game it started hosts, it shows the addresses friends join at and copies the
// invite link to hand them.
class LauncherWindow : public QWidget {
    Q_OBJECT
public:
    struct Parts {
        QString settingsPath;
        GameLauncher* game = nullptr;
        LobbyListener* listener = nullptr; // listening, or not when its port was taken
        QString listenError;               // why it is not listening
        HostLookup lookUp;
        // This computer's local network addresses; localNetworkAddresses() when not set.
        std::function<QStringList()> localAddresses;
        // What is heard of the tables on the local network; none listed without it.
        TableFinder* finder = nullptr;
    };

    explicit LauncherWindow(Parts parts, QWidget* parent = nullptr);
    ~LauncherWindow() override;

    enum class Table { Ready, Starting, Running };
    Table table() const;

    // The line under the status, empty when all is well.
    QString message() const;
    QString status() const;

    // The player's Start (also what Enter does).
    void start();

    // The launcher's command line (without the program name): nothing, or an invite link
    // (quillon://HOST[:PORT]), which fills in the table to join, one Start away; a link
    // that cannot be used is refused in the message line.
    void takeArguments(const QStringList& arguments);

    // What the router said while this computer hosts: its internet address (dotted IPv4;
    // anything else, or empty, is taken as unknown), and a note for the player, such as a
    // port to forward by hand (plain text, cut to a few lines' length).
    void setExternalAddress(const QString& address);
    void setRouterNote(const QString& text);

    // While hosting: the link the Copy invite button puts on the clipboard, empty when this
    // computer has no address to give.
    QString inviteLink() const;
    void copyInvite();

    // A table on the local network chosen from the list: joined at once.
    void joinNearby(const QString& address);

Q_SIGNALS:
    // The game this launcher started to host began or ended: the router is asked to forward
    // its port meanwhile (see net::PortMapper).
    void hostingChanged(bool hosting, quint16 port);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void launch();
    void report(const QString& text);
    void nameEdited(const QString& name);
    void showTable();
    void showInvite();

    std::unique_ptr<Ui::LauncherForm> m_ui;
    Parts m_parts;
    bool m_lookingUp = false;
    bool m_nameNotice = false; // the message is about the name
    int m_lookupSerial = 0;
    bool m_hostedTable = false;   // the game last started was started to host
    QStringList m_localAddresses; // when it was started
    QString m_externalAddress;
    bool m_hostingTold = false; // what hostingChanged last said
};

} // namespace lobby
