#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QUrl;

namespace Ui {
class Thelp;
}

namespace ui {
class FlatButton;
}

namespace windows {

class Shell;

// The help window: page buttons down the left, the chosen page on the right under its
// title. Each page button carries its page number as its tag and shows the page "memo" +
// that number, read from ":/help/memo<n>.html" when the window is made (a page whose file
// is missing stays empty). "About" asks for the about window, "Done" hides. The window
// opens on "Overview" and afterwards keeps the page last chosen.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    // The shell opens web and mail links on the pages; it is not owned and must outlive
    // the window.
    explicit HelpWindow(Shell& shell, QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows the page of the button with this tag, as a click on the button does; false
    // (and no change) when no button has a page with that number.
    bool showPage(int number);
    // The number of the page in front.
    int currentPage() const;

Q_SIGNALS:
    void aboutRequested();

private:
    void pageButtonClicked(ui::FlatButton* button);
    void followLink(const QUrl& link);

    std::unique_ptr<Ui::Thelp> ui_;
    Shell* shell_;
};

} // namespace windows
