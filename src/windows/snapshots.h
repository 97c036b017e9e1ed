#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class Tsnapshot;
}

namespace windows {

// The viewer of the saved snapshots: the folder's JPEG files in the order the file system
// gives them, read afresh every time the window is shown, one picture at a time with
// previous and next, and "Delete" in the list's pop-up menu. A file that cannot be shown
// (not a regular file, too large, not a whole JPEG, too many pixels) gets a line of text in
// the picture's place; no file is decoded without bounds.
class SnapshotViewer : public QDialog {
    Q_OBJECT

public:
    // Receives what the picture loader could not open.
    using ErrorHandler = std::function<void(const QString& text)>;

    explicit SnapshotViewer(QWidget* parent = nullptr);
    ~SnapshotViewer() override;

    void setFolder(const QString& folder) { folder_ = folder; }
    void setErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }

    // What showing the window does: the list read again, its first entry loaded.
    void reread();
    void previous();
    void next();
    // A press on the list (any button) at a place in its viewport.
    void pressAt(QPoint at);
    // "Delete": the selected entry's file and entry go; the picture stays, and no entry is
    // selected afterwards.
    void deleteSelected();

    QStringList entries() const;
    // The highlighted row, -1 for none.
    int selected() const;
    QMenu* popup() const { return popup_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString pathOf(int row) const;
    void select(int row);
    void load(int row);

    std::unique_ptr<Ui::Tsnapshot> ui_;
    QMenu* popup_;
    QString folder_;
    ErrorHandler errorHandler_;
};

} // namespace windows
