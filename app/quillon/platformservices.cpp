#include "platformservices.h"

#include <QMessageBox>

void MessageBoxDialogs::inform(const QString& text)
{
    QMessageBox::information(m_parent, QStringLiteral("Quillon"), text);
}
