#include "support/eventloop.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace support {

namespace {
void spinOnce(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

bool spinUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        spinOnce(2);
    }
    return true;
}

void spinFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        spinOnce(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
}

} // namespace support
