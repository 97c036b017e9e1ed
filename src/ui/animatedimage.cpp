#include "ui/animatedimage.h"

namespace ui {

AnimatedImage::AnimatedImage(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    timer_.setInterval(kDefaultIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &AnimatedImage::advance);
}

void AnimatedImage::setFrames(const QList<QPixmap>& frames)
{
    frames_ = frames;
    showFrame(0);
}

void AnimatedImage::start()
{
    if (!timer_.isActive())
        timer_.start();
}

void AnimatedImage::stop()
{
    timer_.stop();
    showFrame(0);
}

void AnimatedImage::advance()
{
    if (frames_.size() > 1)
        showFrame((current_ + 1) % static_cast<int>(frames_.size()));
}

void AnimatedImage::showFrame(int frame)
{
    const bool changed = frame != current_;
    current_ = frame;
    if (frames_.isEmpty())
        clear();
    else
        setPixmap(frames_.at(frame));
    if (changed)
        Q_EMIT frameChanged(current_);
}

} // namespace ui
