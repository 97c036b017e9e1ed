#include "platformservices.h"

#include "host/hostserver.h"
#include "media/clipplayer.h"
#include "net/portmapper.h"
#include "net/quietnetwork.h"
#include "windows/shell.h"

#include <QMessageBox>

#include <cstdio>

void MessageBoxDialogs::inform(const QString& text)
{
    // Standard error keeps what the player was told, for a report of what went wrong.
    std::fprintf(stderr, "quillon: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
    // A box may quote what a peer sent: shown as it came, never as markup or links.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quillon"), text, QMessageBox::Ok,
                    m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void EmbeddedHost::start(bool solo)
{
    m_server.setSolo(solo);
    m_server.start();
    if (!solo && !net::quietNetwork())
        m_router.start(m_server.port());
}

void ShellLinks::open(const QString& address)
{
    // A failure to open is not reported: the user sees no browser and may click again.
    m_shell.open(address, QString(), QString());
}

void ClipSounds::play(const QByteArray& name)
{
    m_player.play(name);
}
