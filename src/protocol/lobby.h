#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace protocol::lobby {

// The game's own TCP port, on which a hosting copy listens.
inline constexpr quint16 kGamePort = 7772;
// The lobby program listens here on the loopback address; the game holds a silent
// connection to it while it runs.
inline constexpr quint16 kLobbyPort = 9001;
inline constexpr char kLoopbackAddress[] = "127.0.0.1";

// Where the downloader fetches the lobby's installer, and how it runs it.
inline constexpr char kInstallerPath[] = "/lobby/zlbsetup.exe";
inline constexpr char kInstallerArguments[] = "/SP- /silent /noicons";

// Where an installed lobby lives on this platform.
#if defined(Q_OS_WIN)
inline constexpr char kInstalledLobby[] = "C:\\Program Files\\Zelk42\\Zelk42Lobby.exe";
#else
inline constexpr char kInstalledLobby[] = "/opt/zelk42/Zelk42Lobby";
#endif

inline constexpr char kNoLobbyMessage[] =
    "Please close the game and open the Zelk42 Lobby using the icon on your desktop or "
    "using the your Window's start-up menu.";
inline constexpr char kInstallFailedMessage[] = "An Error has Occurred.";

// The command line the lobby starts the game with, read by position:
// 1 the player's name, 2 the host's address, 3 "true" to host.
struct CommandLine {
    enum class Mode {
        Solo,    // no arguments: a practice table of our own
        Waiting, // one or two arguments: nothing is started
        Host,    // third argument "true"
        Join,    // third argument anything else
    };
    Mode mode = Mode::Solo;
    QString playerName;
    QString hostAddress; // the address to connect to: loopback when hosting
};

// `arguments` are the program's arguments without the program name; those beyond the
// third are ignored.
CommandLine readCommandLine(const QStringList& arguments);

// Where a joining copy connects: the command line's host address, a dotted IPv4 address or
// a host name, may end in ":" and a port for a table on another port than the game's (a
// dedicated host started with --port). Without a readable port the whole text is the host.
struct Endpoint {
    QString host;
    quint16 port = kGamePort;
};
Endpoint readEndpoint(const QString& address);

// Invite links, `quillon://HOST[:PORT]` with an optional "/" at the end, hand a table's
// address to a friend; the desktop opens them with the launcher. HOST is a DNS name or a
// dotted IPv4 address, PORT 1..65535 (7772 when left out); the scheme's case does not matter.
inline constexpr char kInviteScheme[] = "quillon";
// Longer texts are refused before they are looked at (a host name has at most 253 characters).
inline constexpr int kMaxInviteLength = 300;

// Whether `text` claims to be an invite link (begins "quillon:", in any case), good or not.
bool isInviteLink(const QString& text);

// A link read: the table's address, or why the link cannot be used, for the player. Nothing
// is started with a refused link, and nothing of it goes on to the game's command line.
struct InviteReading {
    std::optional<Endpoint> table;
    QString problem; // empty when `table` is set
};
InviteReading readInviteLink(const QString& link);

// The address as the launcher's box and the game's command line take it: "HOST", or
// "HOST:PORT" when the port is not the game's.
QString joinAddress(const Endpoint& table);
QString inviteLink(const Endpoint& table);

// The link for a table this computer hosts on `port`: the internet address's when it is
// known, otherwise the first local network address's; empty when there is neither.
QString inviteLinkFor(const QString& internetAddress, const QStringList& localAddresses,
                      quint16 port = kGamePort);

} // namespace protocol::lobby
