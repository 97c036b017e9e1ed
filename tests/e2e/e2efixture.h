#pragma once

#include "e2e/desktop.h"
#include "protocol/catalogue.h"
#include "support/eventloop.h"
#include "support/testbot.h"

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>
#include <optional>

namespace e2e {

inline QString gameBinary()
{
    return QStringLiteral(QUILLON_BINARY);
}

// Phases of a game last seconds of the host's clock; this bounds one wait for the next
// phase (a picking or drawing phase takes at most 11 s in these tests).
inline constexpr int kPhaseMs = 45000;

// Every test gets an Xvfb of its own and finds the game's port free (a hosting copy always
// listens on 7772, so the cases run one after another).
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start({1280, 1200})) << qPrintable(display.log());
        ASSERT_TRUE(portIsFree(kGamePort))
            << "port " << kGamePort << " on 127.0.0.1 is in use; a hosting copy needs it";
    }

    // The next message `id` of the bot, read into fields (a failed wait fails the test).
    static std::optional<protocol::Fields> next(support::TestBot& bot, protocol::MessageId id,
                                                int timeoutMs = kPhaseMs)
    {
        const auto fields = bot.waitFor(id, timeoutMs);
        EXPECT_TRUE(fields.has_value()) << "no " << protocol::messageSpec(id).name << " for slot "
                                        << bot.slot() << " within " << timeoutMs << " ms";
        return fields;
    }

    // Keeps a picture of `window` as e2e-artifacts/NAME.png and checks that it shows a
    // drawn window: the window's size and more than a handful of colours.
    void keepPicture(const QString& name, quint64 window)
    {
        // Only so that the picture shows the phase just announced (the window draws it a
        // moment after the bots hear of it); nothing here depends on this pause.
        support::spinFor(800);
        const std::optional<QRect> frame = display.geometry(window);
        const std::optional<QString> path = display.screenshot(name, window);
        ASSERT_TRUE(path.has_value()) << "no screenshot " << qPrintable(name);
        ASSERT_TRUE(frame.has_value());
        const QImage picture(*path);
        ASSERT_FALSE(picture.isNull()) << qPrintable(*path);
        EXPECT_EQ(picture.size(), frame->size()) << qPrintable(*path);
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height() && colours.size() <= 16; y += 3) {
            for (int x = 0; x < picture.width() && colours.size() <= 16; x += 3)
                colours.insert(picture.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 16) << "a nearly blank picture: " << qPrintable(*path);
        pictures << *path;
    }

    Display display;
    QStringList pictures;
};

} // namespace e2e
