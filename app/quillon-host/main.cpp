// The dedicated host: the game's host engine without a player window. Whoever holds slot 1
// (the first connection, then the first to take a free slot 1) has the host's privileges;
// the turns go on among those connected when slot 1 is empty.
#include "host/hostserver.h"
#include "host/logline.h"
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
    parser.addOption(portOption);
    parser.addOption(secondOption);
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
