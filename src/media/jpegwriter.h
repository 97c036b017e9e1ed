#pragma once

#include <QString>

#include <optional>

class QImage;

namespace media {

// The quality of the pictures the game saves: small files that still show thin strokes cleanly.
inline constexpr int kJpegQuality = 90;

// Saves `picture` at its own size as a baseline JPEG file with three 8-bit colour components
// (YCbCr, the colour halved both ways, as usual for photos and drawings alike), replacing a file
// of that name. The file is written under a temporary name in the same folder and renamed into
// place when complete, so a failure or a crash never leaves a partial file and an older file
// stays intact until then. Folders are not created. Returns nothing on success, otherwise why
// it failed, with the file's path.
std::optional<QString> writeJpeg(const QImage& picture, const QString& path);

} // namespace media
