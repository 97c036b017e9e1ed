// soak_evening: a long evening at a dedicated table, bots against quillon-host with one real
// window watching; see evening.h for what it checks. Exit code 0 when the evening passed,
// 1 on a fault, 2 when it could not begin.
#include "soak/evening.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int)
{
    interrupted = 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("An evening of bots and one game window at a quillon-host."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("How long to play (default 60)."),
                                           QStringLiteral("N"), QStringLiteral("60"));
    const QCommandLineOption reportOption(
        QStringLiteral("report"), QStringLiteral("Write the samples and the summary as CSV."),
        QStringLiteral("FILE"));
    const QCommandLineOption clockOption(QStringLiteral("second-ms"),
                                         QStringLiteral("The host's clock second (default 200)."),
                                         QStringLiteral("MS"), QStringLiteral("200"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the bots' choices (default: "
                                                       "random, printed)."),
                                        QStringLiteral("N"));
    const QCommandLineOption gameOption(QStringLiteral("game"),
                                        QStringLiteral("The game's executable."),
                                        QStringLiteral("PATH"), QStringLiteral(QUILLON_BINARY));
    const QCommandLineOption hostOption(
        QStringLiteral("host"), QStringLiteral("The quillon-host executable."),
        QStringLiteral("PATH"), QStringLiteral(QUILLON_HOST_BINARY));
    parser.addOptions(
        {secondsOption, reportOption, clockOption, seedOption, gameOption, hostOption});
    parser.process(app);

    soak::EveningOptions options;
    bool secondsOk = false;
    bool clockOk = false;
    bool seedOk = true;
    options.seconds = parser.value(secondsOption).toInt(&secondsOk);
    options.secondMs = parser.value(clockOption).toInt(&clockOk);
    options.seed = parser.isSet(seedOption) ? parser.value(seedOption).toUInt(&seedOk)
                                            : QRandomGenerator::global()->generate();
    options.gameProgram = parser.value(gameOption);
    options.hostProgram = parser.value(hostOption);
    if (!secondsOk || options.seconds < 10 || !clockOk || options.secondMs < 10 || !seedOk) {
        std::fprintf(stderr, "soak_evening: --seconds needs 10 or more, --second-ms 10 or "
                             "more, --seed a number\n");
        return 2;
    }

    // Ended early by a signal, the evening still stops its display, host and window.
    options.interrupted = &interrupted;
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        std::signal(number, onSignal);
    soak::Evening evening(options);
    const bool began = evening.setUp();
    if (began)
        evening.run();
    for (const QString& line : evening.summary())
        std::printf("soak: %s\n", qPrintable(line));
    std::fflush(stdout);
    if (parser.isSet(reportOption)) {
        QFile file(parser.value(reportOption));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(evening.report().toUtf8()) < 0) {
            std::fprintf(stderr, "soak_evening: cannot write %s\n",
                         qPrintable(parser.value(reportOption)));
            return 2;
        }
    }
    if (!began)
        return 2;
    return evening.passed() ? 0 : 1;
}
