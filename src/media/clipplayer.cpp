#include "media/clipplayer.h"

#include "media/clipconvert.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include <utility>

namespace media {

namespace {

// On top of the sink's buffer, for whatever the audio system keeps beyond it.
constexpr int kDrainMarginMs = 100;

} // namespace

ClipPlayer::ClipPlayer(QObject* parent) : QObject(parent) {}

ClipPlayer::~ClipPlayer()
{
    stop();
}

void ClipPlayer::play(const QByteArray& name)
{
    stop();
    const QByteArray key = name.toLower();
    auto found = m_clips.find(key);
    if (found == m_clips.end()) {
        // Only names with a clip are remembered: names may come from other players, and a
        // stream of made-up ones must not grow the cache.
        const QByteArray bytes = clipBytes(key);
        if (bytes.isEmpty())
            return;
        found = m_clips.insert(key, Entry{decodeClip(bytes), {}, {}, {}});
    }
    Entry& clip = *found;
    if (!clip.clip)
        return;

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    if (clip.deviceId != device.id() || !clip.format.isValid()) {
        QAudioFormat own;
        own.setSampleRate(clip.clip->sampleRate);
        own.setChannelCount(clip.clip->channels);
        own.setSampleFormat(QAudioFormat::Int16);
        if (device.isFormatSupported(own)) {
            clip.format = own;
            clip.data = clip.clip->pcm16;
        } else {
            clip.format = device.preferredFormat();
            clip.data = convertClip(*clip.clip, clip.format);
        }
        clip.deviceId = device.id();
    }
    if (clip.data.isEmpty())
        return;

    auto* sink = new QAudioSink(device, clip.format, this);
    // The buffer is the sink's child, so it outlives the sink's last read from it.
    auto* buffer = new QBuffer(sink);
    buffer->setData(clip.data);
    buffer->open(QIODevice::ReadOnly);
    m_sink = sink;
    m_playing = key;
    const quint64 turn = ++m_turn;
    connect(sink, &QAudioSink::stateChanged, this, [this, sink, buffer, turn](QAudio::State state) {
        // Idle with data left is a hiccup the sink recovers from by itself.
        const bool played = state == QAudio::IdleState && buffer->atEnd();
        const bool failed = state == QAudio::StoppedState && sink->error() != QAudio::NoError;
        if (!played && !failed)
            return;
        // The sink reports Idle once it has handed over the last bytes, while the audio
        // system still holds up to a buffer of them; stopping now would clip the end.
        // Never from inside the sink's own notification either: stopping it there pulls
        // the stream from under the code that is still reporting on it.
        const int drainMs =
            played ? int(sink->format().durationForBytes(int(sink->bufferSize())) / 1000) +
                         kDrainMarginMs
                   : 0;
        QTimer::singleShot(drainMs, this, [this, turn] {
            if (m_turn == turn)
                stop();
        });
    });
    sink->start(buffer);
    if (m_turn == turn && sink->error() != QAudio::NoError)
        stop();
}

void ClipPlayer::stop()
{
    m_playing.clear();
    QAudioSink* sink = std::exchange(m_sink, nullptr);
    if (!sink)
        return;
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
}

} // namespace media
