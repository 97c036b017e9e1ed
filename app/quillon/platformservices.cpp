#include "platformservices.h"

#include "host/hostserver.h"

#include <QMessageBox>

void MessageBoxDialogs::inform(const QString& text)
{
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
}
