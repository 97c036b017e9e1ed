#include "windows/about.h"

#include "protocol/version.h"
#include "ui/pictures.h"

#include "ui_about.h"

#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>

namespace windows {

QString AboutWindow::versionText()
{
    return QString::fromLatin1(protocol::kVersion);
}

QString AboutWindow::webHost()
{
    return QStringLiteral("www.zelk42.com");
}

AboutWindow::AboutWindow(Shell& shell, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Tabout>()), url1_(shell)
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(size());

    // The picture has rounded corners; the window behind them takes the picture's tone.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xBA, 0xB8, 0x9C));
    setPalette(colours);
    ui_->Image1->setPixmap(ui::picture(QStringLiteral("about"), ui_->Image1->size()));
    ui_->version->setText(versionText());
    ui_->Label3->setText(QStringLiteral("Version ") + QString::fromLatin1(protocol::kFullVersion));

    url1_.setUrlType(TURL::utHttp);
    url1_.setUrl(webHost());
    ui_->Label9->setText(webHost());
    ui_->Label9->installEventFilter(this);

    connect(ui_->SelButton8, &QPushButton::clicked, this, &QDialog::close);
}

AboutWindow::~AboutWindow() = default;

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->Label9 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui_->Label9->rect().contains(mouse->position().toPoint())) {
            // A failure to open is not reported: the user sees no browser and may click again.
            url1_.open();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace windows
