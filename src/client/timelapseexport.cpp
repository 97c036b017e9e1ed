#include "client/timelapseexport.h"

#include "client/boardpicture.h"
#include "media/animatedwebp.h"

#include <QMetaObject>

namespace client {

TimeLapseExport::TimeLapseExport(QObject* parent) : QObject(parent) {}

TimeLapseExport::~TimeLapseExport()
{
    m_stop = true;
    join();
}

void TimeLapseExport::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool TimeLapseExport::start(const AlbumTurn& turn, const QString& path)
{
    if (running())
        return false;
    m_stop = false;
    m_worker = std::thread([this, log = turn.log, last = turn.picture(), path] {
        const auto tell = [this](auto call) {
            QMetaObject::invokeMethod(this, call, Qt::QueuedConnection);
        };
        BoardPicture board;
        TimeLapse steps(log, kFrames);
        media::AnimatedWebpWriter writer(board.picture().size());
        const int total = steps.steps() + 1;
        std::optional<QString> error;
        while (!m_stop && !error && steps.paintNext(board)) {
            if (!writer.addFrame(board.picture(), kFrameMs))
                error = writer.error();
            tell([this, done = steps.done(), total] { Q_EMIT progress(done, total); });
        }
        if (!m_stop && !error) {
            // The finished drawing as the album keeps it: the same as the last step unless
            // the log was full.
            if (!writer.addFrame(last.isNull() ? board.picture() : last, kLastFrameMs))
                error = writer.error();
            else
                error = writer.finish(path);
        }
        const bool stopped = m_stop;
        tell([this, path, error, stopped, total] {
            join();
            Q_EMIT progress(total, total);
            Q_EMIT finished(path, error, stopped);
        });
    });
    return true;
}

} // namespace client
