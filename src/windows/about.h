#pragma once

#include "windows/turl.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class Tabout;
}

namespace windows {

class Shell;

// The about window: the program's picture, name, maker and version, and the maker's web
// address, which opens in the browser when clicked. "Done" hides the window.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    // The version the `version` label holds (major.minor.patch, as the login sends it); the
    // window shows the whole version with its build number.
    static QString versionText();
    // The maker's web host, opened as an http address.
    static QString webHost();

    // The shell opens the web address; it is not owned and must outlive the window.
    explicit AboutWindow(Shell& shell, QWidget* parent = nullptr);
    ~AboutWindow() override;

    // The web address the label opens.
    const TURL& URL1() const { return url1_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::Tabout> ui_;
    TURL url1_;
};

} // namespace windows
