// The port-mapping rules: when a lease is renewed, which outside addresses are any use, and
// the words a player reads.
#include "net/portmaprules.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using namespace net::portmap;

TEST(PortMapRules, LeasesAreRenewedHalfwayWithinBounds)
{
    EXPECT_EQ(renewalDelay(kRequestedLease), 1800s);
    EXPECT_EQ(renewalDelay(0s), std::nullopt) << "a lease of 0 never runs out";
    EXPECT_EQ(renewalDelay(-5s), std::nullopt);
    EXPECT_EQ(renewalDelay(4s), 10s) << "a router granting seconds is not asked in a loop";
    EXPECT_EQ(renewalDelay(std::chrono::seconds{4294967295LL}), 24h)
        << "NAT-PMP's longest lifetime";
}

TEST(PortMapRules, OnlyAConnectedUpnpRouterSavesTheNatPmpQuestion)
{
    EXPECT_TRUE(tryNatPmpAfter(UpnpFinding::NoDevice));
    EXPECT_TRUE(tryNatPmpAfter(UpnpFinding::NotAnIgd));
    EXPECT_TRUE(tryNatPmpAfter(UpnpFinding::NotConnected));
    EXPECT_FALSE(tryNatPmpAfter(UpnpFinding::Connected));
}

TEST(PortMapRules, AnOutsideAddressMustBeReachableFromTheInternet)
{
    EXPECT_EQ(externalAddressProblem(QStringLiteral("81.2.69.160")), std::nullopt);
    for (const char* behindAnotherRouter :
         {"10.1.2.3", "172.20.0.1", "192.168.1.1", "100.64.0.9"}) {
        const auto problem = externalAddressProblem(QString::fromLatin1(behindAnotherRouter));
        ASSERT_TRUE(problem) << behindAnotherRouter;
        EXPECT_TRUE(problem->contains(u"another router")) << problem->toStdString();
    }
    for (const char* useless : {"", "0.0.0.0", "127.0.0.1", "169.254.3.4", "224.0.0.1", "::1",
                                "2001:db8::1", "1.2.3", "81.2.69.160 ", "<b>1.2.3.4</b>"})
        EXPECT_TRUE(externalAddressProblem(QString::fromLatin1(useless))) << useless;
    const auto long_ = externalAddressProblem(QString(5000, u'9'));
    ASSERT_TRUE(long_);
    EXPECT_LT(long_->size(), 200) << "the router's text is shown bounded";
}

TEST(PortMapRules, TheLauncherNamesThePortToForwardByHand)
{
    EXPECT_EQ(
        manualForwardingHint(7772),
        QStringLiteral(
            "Friends outside your network need port 7772 forwarded to this computer by hand."));
    EXPECT_TRUE(manualForwardingHint(40001).contains(u"port 40001 "));
    EXPECT_EQ(unavailableReason(QStringLiteral("no router answered"), std::nullopt),
              QStringLiteral("UPnP: no router answered"));
    EXPECT_EQ(unavailableReason(QStringLiteral("a"), QStringLiteral("b")),
              QStringLiteral("UPnP: a; NAT-PMP: b"));
}

} // namespace
