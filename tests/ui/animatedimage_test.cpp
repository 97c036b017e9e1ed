// The animated image: frames in turn, and the first one while stopped.
#include "uitest.h"

using namespace uitest;

namespace {

TEST(AnimatedImage, ShowsTheFirstFrameUntilStarted)
{
    ui::AnimatedImage image;
    EXPECT_EQ(image.interval(), 500);
    image.setInterval(10);
    image.setFrames({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    EXPECT_FALSE(image.isRunning());
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_EQ(shownColour(image), QColor(Qt::red));

    QTest::qWait(60);
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_EQ(shownColour(image), QColor(Qt::red));

    // Without frames it shows nothing, running or not.
    image.setFrames({});
    image.start();
    QTest::qWait(40);
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_TRUE(image.pixmap().isNull());
}

TEST(AnimatedImage, RunsThroughTheFramesAndStartsAgainAfterTheLast)
{
    ui::AnimatedImage image;
    image.setInterval(15);
    image.setFrames({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    std::vector<int> order;
    std::vector<QColor> shown;
    QObject::connect(&image, &ui::AnimatedImage::frameChanged, [&](int frame) {
        order.push_back(frame);
        shown.push_back(shownColour(image));
    });

    image.start();
    EXPECT_TRUE(image.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() >= 5; }, 5000));
    const std::vector<int> firstFive(order.begin(), order.begin() + 5);
    EXPECT_EQ(firstFive, (std::vector<int>{1, 2, 0, 1, 2}));
    EXPECT_EQ(shown[0], QColor(Qt::green));
    EXPECT_EQ(shown[1], QColor(Qt::blue));
    EXPECT_EQ(shown[2], QColor(Qt::red));
}

TEST(AnimatedImage, StoppingShowsTheFirstFrameAndHoldsIt)
{
    ui::AnimatedImage image;
    image.setInterval(10);
    image.setFrames({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    image.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return image.currentFrame() == 2; }, 5000));

    image.stop();
    EXPECT_FALSE(image.isRunning());
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_EQ(shownColour(image), QColor(Qt::red));
    QTest::qWait(50);
    EXPECT_EQ(image.currentFrame(), 0);

    // Started again, it goes on from the first frame.
    image.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return image.currentFrame() == 1; }, 5000));
}

} // namespace
