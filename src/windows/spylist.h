#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class Tspylist;
}

namespace windows {

// The spectators at the table, one entry each: slot, ": ", name. The hosting copy may
// remove one: "Remove From Game" in the list's pop-up acts on the entry that was under the
// pointer when the menu opened, whichever entry is selected. The entries follow the table
// whether the window is shown or not; "Done" hides it.
class SpyList : public QDialog {
    Q_OBJECT

public:
    using RemoveHandler = std::function<void(int slot)>;

    explicit SpyList(QWidget* parent = nullptr);
    ~SpyList() override;

    void setEntries(const QStringList& entries);
    QStringList entries() const;
    // Only the hosting copy may remove spectators.
    void setRemovalEnabled(bool enabled);
    void setRemoveHandler(RemoveHandler handler) { handler_ = std::move(handler); }

    // The list's pop-up menu with its one item, "Remove From Game".
    QMenu* popup() const { return popup_kick_; }
    // "Remove From Game" for the entry the pointer was over.
    void removeEntryUnderPointer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::Tspylist> ui_;
    QMenu* popup_kick_;
    int underPointer_ = -1;
    RemoveHandler handler_;
};

} // namespace windows
