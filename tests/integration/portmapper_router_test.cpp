// net::PortMapper against a real miniupnpd acting as the home router, in network namespaces
// this test makes: the mapping it reports, the forwarding the router really holds, and its
// removal; NAT-PMP where the router has no UPnP; a router that refuses; no router at all.
#include "net/portmapper.h"

#include "routerlab.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using routertest::RouterLab;

// Not a private or reserved address: miniupnpd refuses to forward on those, as it should.
// The outside interface leads nowhere, so nothing is sent to it.
const QString kOutside = QStringLiteral("192.0.3.1");
constexpr quint16 kPort = 7772;
const QString kForwarded = QStringLiteral("dnat ip to 10.77.0.2:7772");

class PortMapperRouter : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const auto why = RouterLab::cannotMakeNamespaces())
            GTEST_SKIP() << "network namespaces cannot be made here: " << why->toStdString();
    }

    // The lab, set up, with the daemon started as asked (or none).
    std::unique_ptr<RouterLab> makeLab(const QString& outside, std::optional<bool> upnpDaemon)
    {
        auto lab = std::make_unique<RouterLab>(outside);
        if (!lab->setupError().isEmpty()) {
            ADD_FAILURE() << lab->setupError().toStdString();
            return nullptr;
        }
        if (upnpDaemon) {
            const QString failed = lab->startDaemon(*upnpDaemon);
            if (!failed.isEmpty()) {
                ADD_FAILURE() << failed.toStdString();
                return nullptr;
            }
        }
        return lab;
    }
};

QString firstString(const QSignalSpy& spy)
{
    return spy.isEmpty() ? QString() : spy.first().at(0).toString();
}

TEST_F(PortMapperRouter, UpnpForwardsThePortUntilStoppedOrDestroyed)
{
    const auto lab = makeLab(kOutside, true);
    ASSERT_TRUE(lab);
    const RouterLab::OnLan onLan(*lab);
    ASSERT_TRUE(onLan.entered());
    {
        net::PortMapper mapper;
        QSignalSpy mapped(&mapper, &net::PortMapper::mapped);
        QSignalSpy unavailable(&mapper, &net::PortMapper::unavailable);
        QSignalSpy removed(&mapper, &net::PortMapper::removed);
        mapper.start(kPort);
        ASSERT_TRUE(mapped.wait(15000)) << firstString(unavailable).toStdString();
        EXPECT_EQ(mapped.first().at(0).toString(), kOutside);
        EXPECT_EQ(mapped.first().at(1).value<quint16>(), kPort);
        EXPECT_TRUE(mapper.isMapped());
        EXPECT_TRUE(lab->routerForwardings().contains(kForwarded))
            << lab->routerForwardings().toStdString();
        const QString listing = lab->upnpListing();
        EXPECT_TRUE(listing.contains(QStringLiteral("TCP  7772->10.77.0.2:7772  'Quillon'")))
            << listing.toStdString();

        mapper.stop();
        ASSERT_TRUE(removed.wait(10000));
        EXPECT_FALSE(mapper.isMapped());
        EXPECT_FALSE(lab->routerForwardings().contains(kForwarded))
            << lab->routerForwardings().toStdString();
        EXPECT_EQ(mapped.size(), 1);
        EXPECT_TRUE(unavailable.isEmpty());
    }
    {
        SCOPED_TRACE("the window closes while the port is forwarded");
        auto mapper = std::make_unique<net::PortMapper>();
        QSignalSpy mapped(mapper.get(), &net::PortMapper::mapped);
        mapper->start(kPort);
        ASSERT_TRUE(mapped.wait(15000));
        ASSERT_TRUE(lab->routerForwardings().contains(kForwarded));
        QElapsedTimer closing;
        closing.start();
        mapper.reset();
        EXPECT_LT(closing.elapsed(), net::PortMapper::kRemovalBound.count());
        EXPECT_FALSE(lab->routerForwardings().contains(kForwarded))
            << lab->routerForwardings().toStdString();
    }
}

TEST_F(PortMapperRouter, NatPmpForwardsThePortWhereTheRouterHasNoUpnp)
{
    const auto lab = makeLab(kOutside, false);
    ASSERT_TRUE(lab);
    const RouterLab::OnLan onLan(*lab);
    ASSERT_TRUE(onLan.entered());
    net::PortMapper mapper;
    QSignalSpy mapped(&mapper, &net::PortMapper::mapped);
    QSignalSpy unavailable(&mapper, &net::PortMapper::unavailable);
    QSignalSpy removed(&mapper, &net::PortMapper::removed);
    mapper.start(kPort);
    ASSERT_TRUE(mapped.wait(15000)) << firstString(unavailable).toStdString();
    EXPECT_EQ(mapped.first().at(0).toString(), kOutside);
    EXPECT_EQ(mapped.first().at(1).value<quint16>(), kPort);
    EXPECT_TRUE(lab->routerForwardings().contains(kForwarded))
        << lab->routerForwardings().toStdString();

    mapper.stop();
    ASSERT_TRUE(removed.wait(10000));
    EXPECT_FALSE(lab->routerForwardings().contains(kForwarded))
        << lab->routerForwardings().toStdString();
}

// The owner's event loop keeps running while the router is asked: a timer of the window's
// ticks all along, and the answer comes within a bound.
void expectUnavailableSoonWhileResponsive(net::PortMapper& mapper, const char* reasonPart)
{
    QSignalSpy unavailable(&mapper, &net::PortMapper::unavailable);
    QSignalSpy mapped(&mapper, &net::PortMapper::mapped);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer clock;
    clock.start();
    mapper.start(kPort);
    EXPECT_LT(clock.elapsed(), 100) << "start() waited for the router";
    ASSERT_TRUE(unavailable.wait(20000));
    const qint64 took = clock.elapsed();
    EXPECT_LT(took, 15000);
    EXPECT_GE(ticks, took / 50 / 2) << "the event loop stood still for part of " << took << " ms";
    EXPECT_TRUE(firstString(unavailable).contains(QString::fromLatin1(reasonPart)))
        << firstString(unavailable).toStdString();
    EXPECT_TRUE(mapped.isEmpty());
    EXPECT_FALSE(mapper.isMapped());
}

TEST_F(PortMapperRouter, ARouterThatCannotForwardOrNoRouterIsToldAsUnavailable)
{
    {
        SCOPED_TRACE("a router whose own outside address is a reserved one");
        const auto lab = makeLab(QStringLiteral("192.0.2.1"), true);
        ASSERT_TRUE(lab);
        const RouterLab::OnLan onLan(*lab);
        ASSERT_TRUE(onLan.entered());
        net::PortMapper mapper;
        expectUnavailableSoonWhileResponsive(mapper, "NAT-PMP");
        EXPECT_FALSE(lab->routerForwardings().contains(kForwarded));
    }
    {
        SCOPED_TRACE("a gateway with no UPnP or NAT-PMP daemon");
        const auto lab = makeLab(kOutside, std::nullopt);
        ASSERT_TRUE(lab);
        const RouterLab::OnLan onLan(*lab);
        ASSERT_TRUE(onLan.entered());
        net::PortMapper mapper;
        expectUnavailableSoonWhileResponsive(mapper, "no router answered");
    }
}

} // namespace
