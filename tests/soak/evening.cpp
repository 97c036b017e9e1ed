#include "soak/evening.h"

#include "support/eventloop.h"

#include "soak/seatcheck.h"

#include <QRegularExpression>

#include <cstdio>

namespace soak {

namespace {

constexpr char kWindowName[] = "Watcher";
constexpr int kPlayerBots = 9;
constexpr int kSpectatorBots = 2;
constexpr int kCheckMs = 250;
// Samples every minute; every ten seconds in runs of under five minutes.
constexpr int kShortRunSeconds = 5 * 60;
constexpr int kShortSampleSeconds = 10;
constexpr int kLongSampleSeconds = 60;
// The longest a host takes between two turn changes is a drawing phase and a break:
// (seconds per turn + 5) + 11 ticks. Twice that, and three seconds for a loaded machine.
constexpr int kTurnGapTicks = 16;
constexpr qint64 kLoadSlackMs = 3000;

void say(const QString& line)
{
    std::printf("soak: %s\n", qPrintable(line));
    std::fflush(stdout);
}

QString seconds(qint64 ms)
{
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

} // namespace

Evening::Evening(EveningOptions options)
    : m_options(std::move(options)), m_random(m_options.seed), m_host(m_options.hostProgram),
      m_watch(m_options.secondMs)
{
    m_sampleEverySeconds =
        m_options.seconds < kShortRunSeconds ? kShortSampleSeconds : kLongSampleSeconds;
}

Evening::~Evening() = default;

void Evening::fault(const QString& text)
{
    if (m_faults.contains(text))
        return;
    m_faults.append(text);
    say(QStringLiteral("FAULT: ") + text);
    // What the host said last, for whoever looks into it.
    const QStringList lines = m_host.log().split(QLatin1Char('\n'));
    std::fprintf(
        stderr, "the host's last lines:\n%s\n",
        qPrintable(lines.mid(std::max<qsizetype>(0, lines.size() - 40)).join(QLatin1Char('\n'))));
}

double Evening::elapsedSeconds() const
{
    return static_cast<double>(m_clock.elapsed()) / 1000.0;
}

qint64 Evening::stallBoundMs() const
{
    return 2LL * (m_pace.turnSeconds + kTurnGapTicks) * m_options.secondMs + kLoadSlackMs;
}

qint64 Evening::idleBoundMs() const
{
    // After a winner slot 1 waits a few seconds; when slot 1 has just left, the next
    // newcomer takes it within a few more.
    return 4LL * m_pace.startPauseMs.high + kLoadSlackMs;
}

bool Evening::setUp()
{
    if (!m_display.start()) {
        fault(QStringLiteral("Xvfb did not start: ") + m_display.log());
        return false;
    }
    if (!m_host.start({QStringLiteral("--second-ms"), QString::number(m_options.secondMs)})) {
        fault(QStringLiteral("quillon-host did not start: ") + m_host.log());
        return false;
    }
    m_crowd = std::make_unique<Crowd>(m_host.port(), m_watch, m_random, m_pace);
    // Slot 1 is a bot (it starts the games); the window sits down next, then the others.
    if (!m_crowd->seat(1)) {
        fault(QStringLiteral("the first bot was not seated"));
        return false;
    }
    m_home = std::make_unique<e2e::GameFolder>(m_options.gameProgram);
    if (!m_home->isReady() ||
        !m_home->writeSettings({QStringLiteral("Left=0"), QStringLiteral("Top=0"),
                                QStringLiteral("Width=797"), QStringLiteral("Height=541")})) {
        fault(QStringLiteral("no folder for the game window"));
        return false;
    }
    const QString address = QStringLiteral("127.0.0.1:%1").arg(m_host.port());
    if (!m_window.start(*m_home, {QLatin1String(kWindowName), address, QStringLiteral("false")},
                        &m_display) ||
        !m_host.waitForLog(QStringLiteral("logged in as \"%1\"").arg(QLatin1String(kWindowName)),
                           e2e::kStartMs) ||
        !m_display.waitForWindow(m_window.pid())) {
        fault(QStringLiteral("the game window did not join: ") + m_window.log());
        return false;
    }
    static const QRegularExpression seated(
        QStringLiteral("slot (\\d+): logged in as \"%1\"").arg(QLatin1String(kWindowName)));
    m_windowSlot = seated.match(m_host.log()).captured(1).toInt();
    if (!m_crowd->seat(kPlayerBots - 1 + kSpectatorBots)) {
        fault(QStringLiteral("the bots were not seated"));
        return false;
    }
    m_sampler = std::make_unique<Sampler>(m_host.pid(), m_window.pid());
    say(QStringLiteral("%1 s at a dedicated table on port %2 (clock second %3 ms, seed %4): "
                       "%5 player bots, %6 spectator bots, the window in slot %7")
            .arg(m_options.seconds)
            .arg(m_host.port())
            .arg(m_options.secondMs)
            .arg(m_options.seed)
            .arg(m_crowd->players())
            .arg(m_crowd->spectators())
            .arg(m_windowSlot));
    say(QStringLiteral("memory bound: after the warm-up sample (the first, at %1 s) resident "
                       "memory may grow by at most max(8 MiB, 10 %) for host and window")
            .arg(m_sampleEverySeconds));
    say(QStringLiteral("stall bound: while a game runs the turn changes within %1 (twice the "
                       "longest honest gap of %2 clock seconds, and 3 s), and a new game starts "
                       "within %3 of the last")
            .arg(seconds(stallBoundMs()))
            .arg(m_pace.turnSeconds + kTurnGapTicks)
            .arg(seconds(idleBoundMs())));
    return true;
}

void Evening::run()
{
    m_clock.start();
    m_nextSampleMs = qint64{m_sampleEverySeconds} * 1000;
    // People come and go: somebody leaves every few seconds (one in five with a broken
    // connection) and a newcomer follows.
    m_crowd->startComings({2000, 6000}, {300, 2500}, 20);
    const qint64 endMs = qint64{m_options.seconds} * 1000;
    while (m_clock.elapsed() < endMs && passed()) {
        support::spinFor(kCheckMs);
        if (m_options.interrupted && *m_options.interrupted) {
            m_ranSeconds = elapsedSeconds();
            return fault(QStringLiteral("interrupted by a signal"));
        }
        check();
        if (m_clock.elapsed() >= m_nextSampleMs) {
            sample();
            m_nextSampleMs += qint64{m_sampleEverySeconds} * 1000;
        }
    }
    m_ranSeconds = elapsedSeconds();
    finish();
}

void Evening::check()
{
    if (!m_host.isRunning())
        return fault(QStringLiteral("the host died: ") + m_host.log().right(2000));
    if (!m_window.isRunning())
        return fault(QStringLiteral("the window process ended: ") + m_window.log().right(2000));
    const QString log = m_host.log();
    m_watch.readHostLog(log);
    if (log.contains(QStringLiteral("(%1): left").arg(QLatin1String(kWindowName))))
        return fault(QStringLiteral("the window left the table"));
    static const QRegularExpression dropped(QStringLiteral("^.*dropping the connection.*$"),
                                            QRegularExpression::MultilineOption);
    if (const QRegularExpressionMatch m = dropped.match(log); m.hasMatch())
        return fault(QStringLiteral("the host dropped an honest player: ") + m.captured(0));
    if (m_watch.gameRunning() && m_watch.sinceTurnChangeMs() > stallBoundMs())
        return fault(QStringLiteral("stall: a game runs and the turn has not changed for %1 "
                                    "(at most %2 expected)")
                         .arg(seconds(m_watch.sinceTurnChangeMs()), seconds(stallBoundMs())));
    if (!m_watch.gameRunning() && m_watch.sinceGameEndedMs() > idleBoundMs())
        return fault(QStringLiteral("stall: no game has started for %1 since the last ended "
                                    "(at most %2 expected)")
                         .arg(seconds(m_watch.sinceGameEndedMs()), seconds(idleBoundMs())));
}

void Evening::sample()
{
    const Sample s = m_sampler->take(elapsedSeconds());
    const TableCounts& c = m_watch.counts();
    say(QStringLiteral("[%1 s] %2 | games %3, turns %4, at the table %5 + %6 bots")
            .arg(s.atSeconds, 5, 'f', 0)
            .arg(Sampler::describe(s))
            .arg(c.games)
            .arg(c.turns)
            .arg(m_crowd->players())
            .arg(m_crowd->spectators()));
    if (const auto grown = m_sampler->growthFault())
        fault(*grown);
}

void Evening::finish()
{
    if (!m_host.isRunning() || !m_window.isRunning())
        return;
    const QList<Sample>& taken = m_sampler->samples();
    if (taken.isEmpty() || elapsedSeconds() - taken.back().atSeconds > 1)
        sample();
    // Everybody leaves (a quarter with a broken connection), and the host must know: each
    // player who logged in is reported as gone, and every slot but the window's is free.
    if (!m_crowd->leaveAll(25))
        fault(QStringLiteral("the bots' connections did not end"));
    const auto balanced = [this] {
        const QString log = m_host.log();
        return log.count(QStringLiteral("logged in as")) - 1 ==
               log.count(QStringLiteral("): left"));
    };
    if (!support::spinUntil(balanced, e2e::kToolMs))
        fault(QStringLiteral("the host did not report every player who left"));
    // Connections that had not logged in leave no line; their close takes a moment too.
    support::spinFor(500);
    if (const auto leak = checkFreeSlots(m_host.port(), {m_windowSlot}))
        fault(QStringLiteral("leaked slot: ") + *leak);
    check();
    // The evening ends: the host is stopped, and the window closes by itself.
    const std::optional<int> hostEnd = m_host.stop();
    if (hostEnd != 0)
        fault(QStringLiteral("the host did not end cleanly on SIGTERM"));
    const std::optional<int> windowEnd = m_window.waitForExit(e2e::kStartMs);
    if (windowEnd != 0)
        fault(QStringLiteral("the window did not close by itself with exit code 0 when the "
                             "host ended: ") +
              m_window.log().right(2000));
}

} // namespace soak
