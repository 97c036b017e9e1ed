#include "soak/seatcheck.h"

#include "support/eventloop.h"
#include "support/testbot.h"

#include <memory>
#include <vector>

namespace soak {

namespace {
constexpr int kSlots = 15;
constexpr int kLoginMs = 10000;
} // namespace

std::optional<QString> checkFreeSlots(quint16 port, const QList<int>& keptSlots)
{
    QList<int> free;
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (!keptSlots.contains(slot))
            free.append(slot);
    }
    std::vector<std::unique_ptr<support::TestBot>> fresh;
    std::optional<QString> fault;
    for (qsizetype i = 0; i < free.size() && !fault; ++i) {
        auto bot = std::make_unique<support::TestBot>();
        const QByteArray name = "Fresh" + QByteArray::number(i + 1);
        if (!bot->connectTo(port) || !bot->login(name, protocol::kVersion, kLoginMs)) {
            fault = QStringLiteral("fresh player %1 of %2 was not seated (slot %3 expected)")
                        .arg(i + 1)
                        .arg(free.size())
                        .arg(free[i]);
        } else if (bot->slot() != free[i]) {
            fault = QStringLiteral("fresh player %1 got slot %2, expected slot %3: a slot is "
                                   "still taken by somebody who left")
                        .arg(i + 1)
                        .arg(bot->slot())
                        .arg(free[i]);
        }
        fresh.push_back(std::move(bot));
    }
    if (!fault) {
        // The host answers and closes at once, perhaps before the connection is seen as
        // open: only the answer counts.
        support::TestBot oneTooMany;
        oneTooMany.socket().connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!oneTooMany.waitFor("CMD_full", kLoginMs))
            fault = QStringLiteral("with every slot taken the host did not say CMD_full");
    }
    for (auto& bot : fresh)
        bot->disconnectNow();
    support::spinUntil(
        [&] {
            return std::all_of(fresh.begin(), fresh.end(),
                               [](const auto& bot) { return !bot->isConnected(); });
        },
        kLoginMs);
    return fault;
}

} // namespace soak
