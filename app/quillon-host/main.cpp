// The dedicated host: the game's host engine without a player window. Whoever holds slot 1
// (the first connection, then the first to take a free slot 1) has the host's privileges;
// the turns go on among those connected when slot 1 is empty.
#include "host/hostserver.h"
#include "host/logline.h"
#include "host/wordlistfolder.h"
#include "net/tsock.h"
#include "protocol/lobby.h"
#include "protocol/version.h"

#include "signalwatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>

using host::LogLevel;
using host::writeLog;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-host"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(protocol::kFullVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillon dedicated host"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("TCP port to listen on (0: any free)."),
        QStringLiteral("N"), QString::number(protocol::lobby::kGamePort));
    const QCommandLineOption secondOption(
        QStringLiteral("second-ms"),
        QStringLiteral("Length of the turn clock's second in milliseconds."), QStringLiteral("MS"),
        QStringLiteral("1000"));
    const QCommandLineOption wordsOption(
        QStringLiteral("words"),
        QStringLiteral("Folder holding wordlist0.txt to wordlist6.txt to play from instead "
                       "of the built-in lists."),
        QStringLiteral("DIR"));
    parser.addOption(portOption);
    parser.addOption(secondOption);
    parser.addOption(wordsOption);
    parser.process(app);

    bool portOk = false;
    bool secondOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const int secondMs = parser.value(secondOption).toInt(&secondOk);
    if (!portOk || port > 65535) {
        writeLog(LogLevel::Error, QStringLiteral("--port needs a number from 0 to 65535"));
        return 2;
    }
    if (!secondOk || secondMs < 1) {
        writeLog(LogLevel::Error, QStringLiteral("--second-ms needs a positive number"));
        return 2;
    }

    host::HostServer::Options options;
    options.port = static_cast<quint16>(port);
    options.secondMs = secondMs;
    options.dedicated = true;
    if (parser.isSet(wordsOption)) {
        // Every list is read and checked before the port opens: a table that would refuse
        // a phrase mid-game, or play from half a folder, never starts.
        const QString folder = parser.value(wordsOption);
        auto read = host::readWordListFolder(folder);
        if (const auto* fault = std::get_if<host::WordListFault>(&read)) {
            writeLog(LogLevel::Error, QStringLiteral("--words %1: %2").arg(folder, fault->text()));
            return 2;
        }
        options.wordLists = std::get<host::WordLists>(std::move(read));
        writeLog(LogLevel::Info, QStringLiteral("word lists from %1").arg(folder));
    }
    host::HostServer server(options);
    net::TSock::setUnhandledErrorHandler(
        [](const QString& text) { writeLog(LogLevel::Error, QStringLiteral("error: ") + text); });
    try {
        server.start();
    } catch (const net::ESockException& e) {
        writeLog(LogLevel::Error, QStringLiteral("cannot listen on port %1: %2")
                                      .arg(port)
                                      .arg(QString::fromLocal8Bit(e.what())));
        return 1;
    }

    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::terminationRequested, &app, [&](int number) {
        writeLog(LogLevel::Info, QStringLiteral("signal %1, closing").arg(number));
        server.stop();
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
