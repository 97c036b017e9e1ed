#include "client/invitelinkaction.h"

#include "protocol/lobby.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace client {

InviteLinkAction::InviteLinkAction(QAction* action, AddressList localAddresses, QObject* parent)
    : QObject(parent), m_action(action), m_localAddresses(std::move(localAddresses))
{
    m_action->setEnabled(false);
    connect(m_action, &QAction::triggered, this, &InviteLinkAction::copy);
}

void InviteLinkAction::setHosting(bool hosting)
{
    m_action->setEnabled(hosting);
}

void InviteLinkAction::copy()
{
    if (!m_action->isEnabled())
        return;
    // The embedded host always listens on the game's port.
    const QString link = protocol::lobby::inviteLinkFor(m_externalAddress, m_localAddresses());
    if (link.isEmpty()) {
        Q_EMIT failed(QStringLiteral("This computer has no local network address to invite "
                                     "friends to: is it connected to a network?"));
        return;
    }
    QGuiApplication::clipboard()->setText(link);
}

} // namespace client
