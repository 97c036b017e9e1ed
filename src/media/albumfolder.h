#pragma once

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

namespace media {

struct AlbumWriteResult {
    QString folder;               // where the album is; empty on failure
    std::optional<QString> error; // why it failed, with the folder's path
};

// Writes `sheet` as "Album.png" and every picture as "Turn 01.jpg", "Turn 02.jpg", ...
// (writeJpeg; more digits from 100 turns on, so the files sort in order) into a new folder
// `name` inside `parent`, whole or not at all: everything is written into a hidden temporary
// folder inside `parent` first, which is renamed into place when complete. When `name` exists
// already, " (2)", " (3)", ... is added; nothing existing is ever replaced. On failure nothing
// is left behind. `parent` must exist: it is not created.
AlbumWriteResult writeAlbumFolder(const QString& parent, const QString& name, const QImage& sheet,
                                  const std::vector<QImage>& pictures);

} // namespace media
