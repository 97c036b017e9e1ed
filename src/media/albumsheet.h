#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace media {

struct SheetEntry {
    QImage picture; // a board, 533x369
    QStringList captionLines;
};

// One page showing every picture as a thumbnail (half size) in a grid of 4 columns with its
// caption lines under it (plain text, elided to the thumbnail width), and a title line at the
// top; white background, black text. The fonts have fixed pixel sizes and every distance is a
// constant, so the page's size depends only on the entries and their numbers of lines, and
// every machine with the game's font composes the same page. Paints text, so it needs a
// QGuiApplication, but no GUI thread: it paints into a QImage.
QImage composeContactSheet(const QString& title, const std::vector<SheetEntry>& entries);

} // namespace media
