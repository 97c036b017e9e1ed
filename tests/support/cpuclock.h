#pragma once

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

// What a process costs in CPU, for the idle-cost benchmarks.
namespace support {

struct CpuSample {
    double statSeconds; // utime + stime from /proc/PID/stat, or negative
    qint64 cpuNs;       // the process's CPU-time clock, or negative
    bool readable() const { return statSeconds >= 0 && cpuNs >= 0; }
};

// The process's CPU-time clock counts threads that have ended too (Qt's pool threads end
// after 30 idle seconds, so a sum over /proc/PID/task would lose their time).
CpuSample cpuSample(qint64 pid);

// Prints one line "what: utime+stime ..., on-CPU ... = ...% of one core" and returns that
// share in per cent.
double reportCpu(const char* what, const CpuSample& from, const CpuSample& to, double wallSeconds);

// The comparison process of the idle benchmarks: nothing but a timer of `intervalMs`,
// until it is signalled.
int runTicker(int argc, char** argv, int intervalMs);
// Whether the command line asks for that process ("--ticker MS"); its interval, or 0.
int tickerInterval(int argc, char** argv);

class HostProcess;

// What an idle program is measured against: the way an always-running timer would idle,
// as two processes of this program started with "--ticker 1" and "--ticker 10".
class ComparisonTickers {
public:
    ComparisonTickers();
    ~ComparisonTickers();
    bool start();
    void sampleFrom();
    void sampleTo();
    bool readable() const;
    // One line per timer (see reportCpu), and the figure lines "figure timer1_pct ..." and
    // "figure timer10_pct ..." that the benchmark report reads.
    void report(double wallSeconds) const;

private:
    static constexpr std::array<int, 2> kIntervals{1, 10};
    std::array<std::unique_ptr<HostProcess>, 2> m_tickers;
    std::array<CpuSample, 2> m_from{};
    std::array<CpuSample, 2> m_to{};
};

// Prints "figure NAME VALUE", the machine-readable line of a benchmark's result.
void reportFigure(const char* name, double value);

// The nearest-rank percentile (p from 0 to 1) of the values; 0 when there are none.
double percentile(std::vector<double> values, double p);

} // namespace support
