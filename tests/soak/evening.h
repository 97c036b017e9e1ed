#pragma once

#include "e2e/desktop.h"
#include "support/hostprocess.h"

#include "soak/crowd.h"
#include "soak/sampler.h"
#include "soak/tablewatch.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <csignal>
#include <memory>
#include <optional>

namespace soak {

struct EveningOptions {
    int seconds = 60;
    int secondMs = 200; // the host's clock second: turns of a few real seconds
    quint32 seed = 0;
    QString gameProgram;
    QString hostProgram;
    // Set by a signal handler: the evening ends early, as a failure, and cleans up.
    const volatile std::sig_atomic_t* interrupted = nullptr;
};

// An evening at a dedicated table: quillon-host, a crowd of bots (nine players and two
// spectators to begin with) and one real game window on a private X display that joins and
// watches. It runs for the time asked, samples what the host and the window cost, and
// watches for the faults a long evening shows: memory that keeps growing, turns that stop
// changing, games that stop starting, an honest player dropped, a slot that stays taken
// after its player left, and either process dying.
class Evening {
public:
    explicit Evening(EveningOptions options);
    ~Evening();

    // Starts the display, the host, the bots and the window; false (with a fault) when
    // something could not start.
    bool setUp();
    // Plays until the time is up or a fault shows; then everybody leaves and the slots are
    // checked. Prints one line per sample.
    void run();

    bool passed() const { return m_faults.isEmpty(); }
    const QStringList& faults() const { return m_faults; }
    QStringList summary() const;
    // The samples and the summary as CSV, for the benchmark report.
    QString report() const;

private:
    void check();
    void sample();
    void finish();
    qint64 stallBoundMs() const;
    qint64 idleBoundMs() const;
    double elapsedSeconds() const;
    void fault(const QString& text);

    EveningOptions m_options;
    QRandomGenerator m_random;
    Pace m_pace;
    e2e::Display m_display;
    support::HostProcess m_host;
    std::unique_ptr<e2e::GameFolder> m_home;
    e2e::GameProcess m_window;
    TableWatch m_watch;
    std::unique_ptr<Crowd> m_crowd;
    std::unique_ptr<Sampler> m_sampler;
    QElapsedTimer m_clock;
    int m_windowSlot = 0;
    int m_sampleEverySeconds = 60;
    qint64 m_nextSampleMs = 0;
    double m_ranSeconds = 0;
    QStringList m_faults;
};

} // namespace soak
