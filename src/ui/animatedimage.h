#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QTimer>

namespace ui {

// A picture that runs through a list of frames, one every interval (500 ms unless set),
// starting again after the last while it runs. Stopped, it shows the first frame; without
// frames it shows nothing.
class AnimatedImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)

public:
    static constexpr int kDefaultIntervalMs = 500;

    explicit AnimatedImage(QWidget* parent = nullptr);

    // Replaces the frames and shows the first; a running animation goes on from there.
    void setFrames(const QList<QPixmap>& frames);

    int interval() const { return timer_.interval(); }
    void setInterval(int ms) { timer_.setInterval(ms); }

    // Starting a running animation changes nothing.
    void start();
    void stop();
    bool isRunning() const { return timer_.isActive(); }
    // Index of the frame on show (0 when there are no frames).
    int currentFrame() const { return current_; }

Q_SIGNALS:
    void frameChanged(int frame);

private:
    void advance();
    void showFrame(int frame);

    QList<QPixmap> frames_;
    int current_ = 0;
    QTimer timer_;
};

} // namespace ui
