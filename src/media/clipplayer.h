#pragma once

#include "media/clip.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QHash>
#include <QObject>

#include <optional>

class QAudioSink;

namespace media {

// Plays the compiled-in clips by name on the default audio output, one at a time. Lives on
// the GUI thread; sound is pulled by the audio system while the caller goes on.
//
// Sound is a nicety: without an audio output, when the output fails, or for a name with no
// clip, play() does nothing at all. It never throws, never shows a message and never waits
// for the sound.
class ClipPlayer : public QObject {
    Q_OBJECT

public:
    explicit ClipPlayer(QObject* parent = nullptr);
    ~ClipPlayer() override;

    // Starts the clip called `name` ("turn", "cat3", "wave7"; any case) and returns at once.
    // A clip still sounding is cut off, even when `name` turns out to have no clip.
    void play(const QByteArray& name);
    // Cuts off the clip sounding, if any.
    void stop();

    // The lower-case name of the clip sounding now; empty when silent.
    QByteArray playing() const { return m_playing; }

private:
    // A clip is decoded the first time it is asked for and kept, failed or not, along with
    // the bytes last made ready for an output.
    struct Entry {
        std::optional<Clip> clip;
        QByteArray deviceId;
        QAudioFormat format;
        QByteArray data;
    };

    QHash<QByteArray, Entry> m_clips;
    QAudioSink* m_sink = nullptr;
    QByteArray m_playing;
    // Counts plays, so a late notice about an old sink cannot stop a newer one that the
    // allocator may have put at the same address.
    quint64 m_turn = 0;
};

} // namespace media
