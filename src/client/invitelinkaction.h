#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAction;

namespace client {

// File, "Copy Invite Link": while this copy hosts, puts the link friends open to join its
// table (quillon://ADDRESS: the internet address when known, else the first local network
// address) on the clipboard. The
// addresses are looked at when the link is copied, so a network that came up since counts.
class InviteLinkAction : public QObject {
    Q_OBJECT
public:
    using AddressList = std::function<QStringList()>;

    // `localAddresses` lists this computer's local network addresses (see
    // localNetworkAddresses).
    InviteLinkAction(QAction* action, AddressList localAddresses, QObject* parent = nullptr);

    // Offered only while this copy runs the table's host.
    void setHosting(bool hosting);
    // The table's address on the internet, when the router forwards its port (empty: none);
    // the link then gives it rather than the local one.
    void setExternalAddress(const QString& address) { m_externalAddress = address; }
    void copy();

Q_SIGNALS:
    // There is no address to invite anybody to.
    void failed(const QString& text);

private:
    QAction* m_action;
    AddressList m_localAddresses;
    QString m_externalAddress;
};

} // namespace client
