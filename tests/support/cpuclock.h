#pragma once

#include <QtGlobal>

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

} // namespace support
