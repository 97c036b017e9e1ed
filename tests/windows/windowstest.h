#pragma once

// What the side windows' tests share: a shell that records what it is asked to open, and
// small helpers to reach a window's controls by their names.

#include "ui/flatbutton.h"
#include "ui/updown.h"
#include "windows/about.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/shell.h"
#include "windows/sidewindows.h"
#include "windows/turl.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace windowstest {

using windows::Shell;
using windows::TURL;

// Records what the windows ask the desktop to open and answers with `result`.
class RecordingShell : public Shell {
public:
    struct Call {
        QString item;
        QString parameters;
        QString folder;
    };
    std::vector<Call> calls;
    int result = Shell::kOpened;

    int open(const QString& item, const QString& parameters, const QString& folder) override
    {
        calls.push_back({item, parameters, folder});
        return result;
    }
};

template <typename T> inline T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline void clickArrow(const QWidget& window, const char* upDown, const char* arrow)
{
    auto* arrows = child<ui::UpDown>(window, upDown);
    QTest::mouseClick(arrows->findChild<QToolButton*>(QString::fromLatin1(arrow)), Qt::LeftButton);
}

inline QString text(const QWidget& window, const char* edit)
{
    return child<QLineEdit>(window, edit)->text();
}

// What the game start dialog's "Start Game" handed over.
struct StartRequest {
    bool team = false;
    QString playToScore;
    QString timePerTurn;
};

} // namespace windowstest
