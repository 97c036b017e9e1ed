#pragma once

#include "client/services.h"

#include <QString>

namespace windows {

// The snapshots on disk: "snapshot" + number + ".jpg" in one folder, made when the first
// snapshot is kept. Each file is a baseline JPEG written whole or not at all.
class SnapshotFolder : public client::SnapshotStore {
public:
    explicit SnapshotFolder(QString folder) : folder_(std::move(folder)) {}

    QString folder() const override { return folder_; }
    QString pathOf(int number) const;

    std::optional<QString> save(const QImage& picture, int number) override;

private:
    QString folder_;
};

} // namespace windows
