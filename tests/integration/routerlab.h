#pragma once

// RouterLab: a home network made of two network namespaces for testing port mapping against a
// real miniupnpd. "router" has the LAN side 10.77.0.1/24 and an outside interface with the
// address the test gives; "lan" is this computer, 10.77.0.2/24, with the router as its default
// gateway. The outside interface is one end of a veth pair whose other end stays in the router
// namespace too, so nothing leaves the machine whatever address it has.
//
// The namespaces are named after this process and a counter, so parallel runs (the sanitized
// suite beside the main one) do not meet. The destructor stops the daemon and deletes both
// namespaces; the daemon dies with this process if the test crashes, and namespaces a crashed
// run left behind are deleted by the next run's lab.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace routertest {

class RouterLab {
public:
    // Why network namespaces cannot be made here (not root, no `ip netns`), or nothing.
    static std::optional<QString> cannotMakeNamespaces();

    explicit RouterLab(const QString& outsideAddress);
    ~RouterLab();

    RouterLab(const RouterLab&) = delete;
    RouterLab& operator=(const RouterLab&) = delete;

    // Empty when the namespaces stand; otherwise what failed.
    QString setupError() const { return m_error; }

    // Starts miniupnpd in the router namespace, answering UPnP where `upnp`, NAT-PMP always,
    // in secure mode (a client may map ports only to itself), and waits until it listens.
    // Empty on success, otherwise what failed with the daemon's output.
    QString startDaemon(bool upnp);
    QString daemonOutput() const;

    // The router's port forwardings as its firewall holds them (miniupnpd's nat chain).
    QString routerForwardings() const;
    // What `upnpc -l` run on the LAN computer lists.
    QString upnpListing() const;

    // Runs the calling thread, and the threads it starts, in the "lan" namespace while alive.
    class OnLan {
    public:
        explicit OnLan(const RouterLab& lab);
        ~OnLan();
        OnLan(const OnLan&) = delete;
        OnLan& operator=(const OnLan&) = delete;
        bool entered() const { return m_entered; }

    private:
        int m_home = -1;
        bool m_entered = false;
    };

private:
    bool run(const QStringList& command, const QByteArray& input = {});
    QString inNamespace(const QString& ns, const QStringList& command) const;

    QString m_router;
    QString m_lan;
    QString m_error;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_daemon;
    QByteArray m_daemonOutput;
};

} // namespace routertest
