#pragma once

// What an evening of play at one table is driven with: the places of the controls in the
// player window and its side windows, the seats (a copy of the game in a folder of its
// own), the hands that click and type on the virtual desktop (xdotool), an ear that
// reads everything a bot heard in order, and the eyes: board pictures compared pixel by
// pixel and the transcript read back with OCR (tesseract).
#include "e2e/e2efixture.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <utility>

namespace e2e::evening {

// ---- Places, relative to a window's top left ------------------------------------------
// The player window's menu bar is 19 pixels high on the test desktop (no window manager,
// so no frame); everything below it is placed by tchat.ui.
inline constexpr int kMenuBar = 19;
inline constexpr QPoint kBoardAt{2, kMenuBar + 68 + 1};
inline constexpr QSize kBoardSize{533, 369};
inline constexpr QPoint kPassButton{492, kMenuBar + 12};
inline constexpr QPoint kSnapshotButton{482, kMenuBar + 12};
inline constexpr QPoint kStartButton{492, kMenuBar + 34};
inline constexpr QPoint kGuessEntry{104, kMenuBar + 441 + 31};
inline constexpr QPoint kChatEntry{639, kMenuBar + 471 + 11};
// The transcript's text area, inside its frame and left of its scroll bar.
inline constexpr QRect kTranscript{541, kMenuBar + 253, 229, 216};

// Quick-phrase button 1 to 9, and 10 for the chatter sounds: 25 pixels apart above the chat.
inline QPoint phraseButton(int number)
{
    return {539 + 25 * (number - 1) + 12, kMenuBar + 231 + 9};
}

// The chooser's button for a category: the chooser lies at (141, 14) in the board panel
// (at (0, 68) below the menu bar); its buttons are 150 x 28 at x 50, in this order of rows.
inline QPoint categoryButton(int category)
{
    constexpr int kRowOfCategory[] = {58, 134, 286, 172, 210, 248, 96};
    return {141 + 50 + 75, kMenuBar + 68 + 14 + kRowOfCategory[category] + 14};
}

// "Quillon - Start Game": the down arrows of the score to play to and of the seconds per
// turn (5 a click), the team check box and the start button.
inline constexpr char kStartDialogTitle[] = "Quillon - Start Game";
inline constexpr QPoint kLowerScore{200, 38};
inline constexpr QPoint kFewerSeconds{200, 72};
inline constexpr QPoint kTeamBox{30, 99};
inline constexpr QPoint kDialogStart{132, 139};
// "Quillon - Spys": the first entry of the list and the Done button.
inline constexpr char kSpyListTitle[] = "Quillon - Spys";
inline constexpr QPoint kFirstSpy{60, 44};
inline constexpr QPoint kSpyListDone{120, 254};

// ---- Seats -----------------------------------------------------------------------------

// A player's copy of the game, in a folder of its own (its settings file and snapshots).
struct Seat {
    Seat(const char* seatName, int seatSlot, QPoint seatPlace)
        : name(QLatin1String(seatName)), slot(seatSlot), place(seatPlace)
    {}
    QString name;
    int slot;
    QPoint place; // where its settings put the window
    GameFolder folder{gameBinary()};
    GameProcess process;
    quint64 window = 0;
    QByteArray slotText() const { return QByteArray::number(slot); }
};

// Categories whose every phrase the host can judge. Some phrases of the others cannot be
// solved by typing them in full: a word that comes twice in another letter case ("The Cat
// in the Hat") or ends another word ("rolie polie olie") is uncovered at one place only.
inline constexpr int kGeneral = 0;
inline constexpr int kActions = 1;
inline constexpr int kFoodAndDrink = 6;

// What a turn holds: who draws, the category the drawer's window clicks, who types the
// phrase, and what else happens.
struct Turn {
    Seat* drawer;
    int category;
    Seat* solver;
    bool passFirst = false;
    bool strokes = false;
    Seat* wrongGuesser = nullptr;
    std::function<void()> meanwhile = {}; // while the phrase is being drawn
};

// Sets a variable of this process's environment while it lives: programs started
// meanwhile inherit it (Display::environment() starts from the system environment).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value) : m_name(name)
    {
        qputenv(m_name, value);
    }
    ~ScopedVariable() { qunsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

// The newest phrase a host's log says it handed slot `drawer` ("slot N draws "..."" as the
// operator reads it), once the log holds more such lines than `read`, which moves on;
// empty when none came within the bound.
inline QString newPhraseFor(int drawer, const std::function<QString()>& log, qsizetype& read)
{
    static const QRegularExpression draws(
        QStringLiteral("slot (\\d+) draws \"([^\"]*)\" \\(category"));
    QRegularExpressionMatch last;
    const bool logged = support::spinUntil(
        [&] {
            qsizetype lines = 0;
            for (auto it = draws.globalMatch(log()); it.hasNext(); ++lines)
                last = it.next();
            if (lines <= read || last.captured(1).toInt() != drawer)
                return false;
            read = lines;
            return true;
        },
        kToolMs);
    EXPECT_TRUE(logged) << "no new phrase for slot " << drawer;
    return logged ? last.captured(2) : QString();
}

// The one window of process `pid` with this caption (a side window, a dialog), once it
// shows; a failed wait fails the test.
inline std::optional<quint64> waitForOnlyWindow(const Display& display, qint64 pid,
                                                const QString& title)
{
    std::optional<quint64> window;
    support::spinUntil(
        [&] {
            const QList<quint64> found = display.findWindows(pid, title);
            if (found.size() == 1)
                window = found.front();
            return window.has_value();
        },
        kToolMs);
    EXPECT_TRUE(window.has_value()) << "no window \"" << qPrintable(title) << "\" of " << pid;
    return window;
}

// ---- Hands -----------------------------------------------------------------------------

// Mouse and keyboard on the desktop. Without a window manager the keyboard goes to the
// window given the input focus, so every key press focuses its window first.
class Hands {
public:
    explicit Hands(const Display& display) : m_display(display) {}

    bool xdo(const QStringList& arguments) const
    {
        return m_display.tool(QStringLiteral("xdotool"), arguments).ok();
    }
    void focus(quint64 window) const
    {
        xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    }
    void click(quint64 window, QPoint at, int button = 1) const
    {
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
             QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QString::number(button)});
    }
    // Key names as xdotool has them ("alt+f", "Up", "Return").
    void keys(quint64 window, const QStringList& names) const
    {
        focus(window);
        xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} +
            names);
    }
    // Opens a menu of process `pid` with `opening` (a click or a key) and, once it is on
    // screen, chooses in it with `choice` (keys pressed before would go elsewhere).
    bool choose(qint64 pid, const std::function<void()>& opening, const QStringList& choice) const
    {
        const qsizetype before = m_display.visibleWindows(pid).size();
        opening();
        if (!support::spinUntil([&] { return m_display.visibleWindows(pid).size() > before; },
                                kToolMs))
            return false;
        return xdo(
            QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} +
            choice);
    }
    bool chooseFromMenuBar(const Seat& seat, const QString& menuKey,
                           const QStringList& choice) const
    {
        return choose(
            seat.process.pid(), [&] { keys(seat.window, {menuKey}); }, choice);
    }
    // Clicks into a field, types the text and presses Enter.
    void typeLine(quint64 window, QPoint field, const QString& text) const
    {
        focus(window);
        click(window, field);
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
        xdo({QStringLiteral("key"), QStringLiteral("Return")});
    }
    // One stroke with the left button held, through `points` (relative to the window).
    void stroke(quint64 window, const QList<QPoint>& points) const
    {
        const QString id = QString::number(window);
        auto moveTo = [&](QPoint p) {
            return QStringList{QStringLiteral("mousemove"), QStringLiteral("--window"), id,
                               QString::number(p.x()), QString::number(p.y())};
        };
        QStringList chain = moveTo(points.front())
                            << QStringLiteral("mousedown") << QStringLiteral("1");
        // A pause between the moves keeps them apart (the window would merge them).
        for (qsizetype i = 1; i < points.size(); ++i)
            chain << moveTo(points[i]) << QStringLiteral("sleep") << QStringLiteral("0.01");
        chain << QStringLiteral("mouseup") << QStringLiteral("1");
        xdo(chain);
    }
    void moveWindow(quint64 window, QPoint to) const
    {
        xdo({QStringLiteral("windowmove"), QString::number(window), QString::number(to.x()),
             QString::number(to.y())});
    }

private:
    const Display& m_display;
};

// ---- Ear -------------------------------------------------------------------------------

// Everything a bot has heard, kept in order. next() reads on from where the last next()
// stopped, so a turn's messages are taken in the order the host sent them; heardSince()
// looks without moving on.
class Ear {
public:
    explicit Ear(support::TestBot& bot) : m_bot(bot) {}

    // The next message after the cursor that starts with one of `prefixes`; the cursor moves
    // past it. A failed wait fails the test.
    std::optional<QByteArray> next(const QList<QByteArray>& prefixes, int timeoutMs = kPhaseMs)
    {
        std::optional<QByteArray> found;
        support::spinUntil(
            [&] {
                pump();
                for (qsizetype i = m_cursor; i < m_heard.size() && !found; ++i) {
                    for (const QByteArray& prefix : prefixes) {
                        if (m_heard[i].startsWith(prefix)) {
                            found = m_heard[i];
                            m_cursor = i + 1;
                            break;
                        }
                    }
                }
                return found.has_value();
            },
            timeoutMs);
        EXPECT_TRUE(found.has_value())
            << "slot " << m_bot.slot() << " heard none of " << prefixes.join(", ").constData()
            << " in " << timeoutMs << " ms";
        return found;
    }
    std::optional<QByteArray> next(const QByteArray& prefix, int timeoutMs = kPhaseMs)
    {
        return next(QList<QByteArray>{prefix}, timeoutMs);
    }
    // Where the messages heard from now on begin.
    qsizetype mark()
    {
        pump();
        return m_heard.size();
    }
    // How many messages since `mark` start with `prefix`, once at least `count` do or the
    // time is up.
    qsizetype heardSince(qsizetype mark, const QByteArray& prefix, qsizetype count = 1,
                         int timeoutMs = 0)
    {
        qsizetype seen = 0;
        support::spinUntil(
            [&] {
                pump();
                seen = std::count_if(m_heard.begin() + mark, m_heard.end(),
                                     [&](const QByteArray& m) { return m.startsWith(prefix); });
                return seen >= count;
            },
            timeoutMs);
        return seen;
    }
    // The messages heard since `mark`.
    QList<QByteArray> since(qsizetype mark)
    {
        pump();
        return m_heard.mid(mark);
    }

private:
    void pump() { m_heard += m_bot.takeAll(); }

    support::TestBot& m_bot;
    QList<QByteArray> m_heard;
    qsizetype m_cursor = 0;
};

// ---- Eyes ------------------------------------------------------------------------------

// Pixels that differ between two pictures (all of the larger one's when the sizes differ).
inline qsizetype differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return std::max<qsizetype>(qsizetype{a.width()} * a.height(),
                                   qsizetype{b.width()} * b.height());
    qsizetype differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    }
    return differing;
}

// Dark pixels: strokes of the black pen.
inline qsizetype darkPixels(const QImage& picture)
{
    qsizetype dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            dark += picture.pixelColor(x, y).value() < 64 ? 1 : 0;
    }
    return dark;
}

// Of the dark pixels `shown` has at or below row `fromRow`, how many `kept` (a JPEG of the
// same picture) has dark too: {shown's, kept's}.
inline std::pair<qsizetype, qsizetype> strokesKept(const QImage& shown, const QImage& kept,
                                                   int fromRow)
{
    // JPEG softens a stroke's hard edges, so a stroke pixel counts as kept when the file is
    // dark at it or right beside it.
    const auto darkNear = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const QPoint p(x + dx, y + dy);
                if (kept.rect().contains(p) && kept.pixelColor(p).value() < 128)
                    return true;
            }
        }
        return false;
    };
    qsizetype strokes = 0;
    qsizetype keptToo = 0;
    for (int y = fromRow; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixelColor(x, y).value() < 64) {
                ++strokes;
                keptToo += darkNear(x, y) ? 1 : 0;
            }
        }
    }
    return {strokes, keptToo};
}

// The text tesseract reads in `picture`, enlarged four times first (the transcript's 8
// point letters are too small for it as they are); the enlarged picture is kept as
// e2e-artifacts/NAME.png.
inline QString readText(const QImage& picture, const QString& name)
{
    const QString path = artifactPath(name);
    picture.scaled(picture.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(path);
    const ToolResult read =
        runTool(QStringLiteral("tesseract"),
                {path, QStringLiteral("stdout"), QStringLiteral("--psm"), QStringLiteral("6")},
                QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(read.ok()) << "tesseract failed (is tesseract-ocr installed?): "
                           << read.err.constData();
    return QString::fromUtf8(read.out);
}

} // namespace e2e::evening
