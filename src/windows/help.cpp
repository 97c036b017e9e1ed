#include "windows/help.h"

#include "ui/flatbutton.h"
#include "windows/shell.h"

#include "ui_help.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>

namespace windows {

namespace {

QString pageName(int number)
{
    return QStringLiteral("memo%1").arg(number);
}

// A link to another help page ("memo3.html") gives its number; anything else 0.
int linkedPage(const QUrl& link)
{
    static const QRegularExpression pattern(QStringLiteral("^memo(\\d+)\\.html$"));
    const QRegularExpressionMatch match = pattern.match(link.fileName());
    if (!match.hasMatch() || (!link.scheme().isEmpty() && link.scheme() != QStringLiteral("qrc")))
        return 0;
    return match.captured(1).toInt();
}

} // namespace

HelpWindow::HelpWindow(Shell& shell, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Thelp>()), shell_(&shell)
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(size());

    for (auto* page : ui_->pages->findChildren<QTextBrowser*>(Qt::FindDirectChildrenOnly)) {
        page->setOpenLinks(false);
        connect(page, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
        const QString file =
            QStringLiteral(":/help/") + page->objectName() + QStringLiteral(".html");
        if (QFile::exists(file))
            page->setSource(QUrl(QStringLiteral("qrc") + file));
        page->document()->setDocumentMargin(8);
    }

    for (ui::FlatButton* button :
         {ui_->SelButton1, ui_->SelButton2, ui_->SelButton3, ui_->SelButton4, ui_->SelButton5,
          ui_->SelButton6, ui_->SelButton9})
        connect(button, &QPushButton::clicked, this, [this, button] { pageButtonClicked(button); });
    connect(ui_->SelButton7, &QPushButton::clicked, this, &HelpWindow::aboutRequested);
    connect(ui_->SelButton8, &QPushButton::clicked, this, &QDialog::close);

    ui_->pages->setCurrentWidget(ui_->memo1);
    ui_->label_caption->setText(ui_->SelButton1->text());
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::showPage(int number)
{
    for (auto* button : ui_->background->findChildren<ui::FlatButton*>()) {
        if (button->tag() == number && ui_->pages->findChild<QWidget*>(pageName(number))) {
            pageButtonClicked(button);
            return true;
        }
    }
    return false;
}

int HelpWindow::currentPage() const
{
    return ui_->pages->currentWidget()->objectName().mid(4).toInt();
}

void HelpWindow::pageButtonClicked(ui::FlatButton* button)
{
    auto* page = ui_->pages->findChild<QWidget*>(pageName(button->tag()));
    if (!page)
        return;
    ui_->pages->setCurrentWidget(page);
    ui_->label_caption->setText(button->text());
    // The button of the page in front stays down.
    button->setChecked(true);
}

void HelpWindow::followLink(const QUrl& link)
{
    if (const int number = linkedPage(link)) {
        showPage(number);
        return;
    }
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        if (auto* page = qobject_cast<QTextBrowser*>(ui_->pages->currentWidget()))
            page->scrollToAnchor(link.fragment());
        return;
    }
    const QString scheme = link.scheme();
    if (scheme == QStringLiteral("http") || scheme == QStringLiteral("https") ||
        scheme == QStringLiteral("mailto"))
        shell_->open(link.toString(), QString(), QString());
}

} // namespace windows
