#pragma once

#include "media/clip.h"

#include <QAudioFormat>
#include <QByteArray>

namespace media {

// The clip's sound in `format`, for an output that will not take the clip as it is: resampled
// by linear interpolation, mono spread to every channel, several channels averaged down to
// one (or, going from several to more, the extra ones left silent), and written in the
// format's sample type. Empty for an invalid format or an empty clip.
QByteArray convertClip(const Clip& clip, const QAudioFormat& format);

} // namespace media
