// The evening's summary, for people (printed) and for the benchmark report (CSV).
#include "soak/evening.h"

namespace soak {

namespace {

QString mebibytes(qint64 kb)
{
    return QString::number(static_cast<double>(kb) / 1024.0, 'f', 1);
}

QString share(double cpuSeconds, double wallSeconds)
{
    return QString::number(wallSeconds > 0 ? 100.0 * cpuSeconds / wallSeconds : 0.0, 'f', 1);
}

} // namespace

QStringList Evening::summary() const
{
    QStringList lines;
    const TableCounts& c = m_watch.counts();
    lines << QStringLiteral("summary after %1 s (clock second %2 ms, seed %3)")
                 .arg(m_ranSeconds, 0, 'f', 0)
                 .arg(m_options.secondMs)
                 .arg(m_options.seed);
    lines << QStringLiteral("  games %1 started, %2 won; turns %3 (%4 solved, %5 ran out)")
                 .arg(c.games)
                 .arg(c.wins)
                 .arg(c.turns)
                 .arg(c.solved)
                 .arg(c.revealed);
    lines << QStringLiteral("  bots: %1 seated, %2 left (%3 with a reset); %4 strokes, %5 chat "
                            "lines, %6 guesses (%7 right)")
                 .arg(c.arrivals)
                 .arg(c.departures)
                 .arg(c.resets)
                 .arg(c.strokes)
                 .arg(c.chats)
                 .arg(c.guesses)
                 .arg(c.rightGuesses);
    lines << QStringLiteral("  chat lines heard %1 times, the slowest after %2 ms")
                 .arg(c.chatsHeard)
                 .arg(c.slowestChatMs);
    if (m_sampler && !m_sampler->samples().isEmpty()) {
        const Sample& warm = m_sampler->samples().front();
        const Sample& last = m_sampler->samples().back();
        const auto who = [&](const char* name, qint64 warmKb, qint64 lastKb, double cpu) {
            return QStringLiteral("  %1: %2 MiB resident at the end (%3 MiB after the warm-up, "
                                  "at most +%4 MiB allowed), %5 s CPU = %6 % of one core")
                .arg(QLatin1String(name), mebibytes(lastKb), mebibytes(warmKb),
                     mebibytes(allowedGrowthKb(warmKb)))
                .arg(cpu, 0, 'f', 2)
                .arg(share(cpu, last.atSeconds));
        };
        lines << who("host", warm.hostRssKb, last.hostRssKb, last.hostCpuSeconds);
        lines << who("window", warm.windowRssKb, last.windowRssKb, last.windowCpuSeconds);
    }
    lines << (passed() ? QStringLiteral("PASS")
                       : QStringLiteral("FAIL: ") + m_faults.join(QStringLiteral("; ")));
    return lines;
}

QString Evening::report() const
{
    QString csv = QStringLiteral("time_s,host_rss_kb,host_cpu_s,window_rss_kb,window_cpu_s\n");
    const QList<Sample> none;
    const QList<Sample>& samples = m_sampler ? m_sampler->samples() : none;
    for (const Sample& s : samples) {
        csv += QStringLiteral("%1,%2,%3,%4,%5\n")
                   .arg(s.atSeconds, 0, 'f', 1)
                   .arg(s.hostRssKb)
                   .arg(s.hostCpuSeconds, 0, 'f', 2)
                   .arg(s.windowRssKb)
                   .arg(s.windowCpuSeconds, 0, 'f', 2);
    }
    const TableCounts& c = m_watch.counts();
    QList<std::pair<QString, QString>> rows{
        {QStringLiteral("result"), passed() ? QStringLiteral("pass") : QStringLiteral("fail")},
        {QStringLiteral("seconds"), QString::number(m_ranSeconds, 'f', 0)},
        {QStringLiteral("second_ms"), QString::number(m_options.secondMs)},
        {QStringLiteral("seed"), QString::number(m_options.seed)},
        {QStringLiteral("games"), QString::number(c.games)},
        {QStringLiteral("turns"), QString::number(c.turns)},
        {QStringLiteral("bots_seated"), QString::number(c.arrivals)},
        {QStringLiteral("bots_left"), QString::number(c.departures)},
        {QStringLiteral("slowest_chat_ms"), QString::number(c.slowestChatMs)}};
    if (!samples.isEmpty()) {
        const Sample& warm = samples.front();
        const Sample& last = samples.back();
        rows.append(
            {{QStringLiteral("host_rss_warm_kb"), QString::number(warm.hostRssKb)},
             {QStringLiteral("host_rss_final_kb"), QString::number(last.hostRssKb)},
             {QStringLiteral("host_cpu_s"), QString::number(last.hostCpuSeconds, 'f', 2)},
             {QStringLiteral("window_rss_warm_kb"), QString::number(warm.windowRssKb)},
             {QStringLiteral("window_rss_final_kb"), QString::number(last.windowRssKb)},
             {QStringLiteral("window_cpu_s"), QString::number(last.windowCpuSeconds, 'f', 2)}});
    }
    csv += QStringLiteral("\nkey,value\n");
    for (const auto& [key, value] : rows)
        csv += key + QLatin1Char(',') + value + QLatin1Char('\n');
    if (!passed())
        csv += QStringLiteral("fault,\"") +
               m_faults.join(QStringLiteral("; ")).replace(QLatin1Char('"'), QLatin1Char('\'')) +
               QStringLiteral("\"\n");
    return csv;
}

} // namespace soak
