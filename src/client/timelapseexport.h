#pragma once

#include "client/gamealbum.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <optional>
#include <thread>

namespace client {

// Writes a kept turn's time-lapse as an animated WebP, away from the window's thread: the
// turn is painted again step by step on a picture of its own, every step one frame, and
// the finished drawing closes it. Lossless WebP rather than GIF: every frame is exactly
// the board's pixels (a GIF's 256 colours would band the antialiased strokes), files are
// smaller, and browsers and chat programs play it. Stopping leaves no file.
class TimeLapseExport : public QObject {
    Q_OBJECT
public:
    static constexpr int kFrames = 60;
    static constexpr int kFrameMs = 100;
    static constexpr int kLastFrameMs = 3000;

    explicit TimeLapseExport(QObject* parent = nullptr);
    ~TimeLapseExport() override;

    bool running() const { return m_worker.joinable(); }
    // Starts writing `turn` to `path`; refused while an export runs.
    bool start(const AlbumTurn& turn, const QString& path);
    void stop() { m_stop = true; }

Q_SIGNALS:
    void progress(int done, int total);
    // Written to `path`, or failed with `error`, or stopped (no file either way).
    void finished(const QString& path, const std::optional<QString>& error, bool stopped);

private:
    void join();

    std::thread m_worker;
    std::atomic<bool> m_stop = false;
};

} // namespace client
