#pragma once

#include "client/boardlog.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <deque>

namespace client {

// One finished turn as the window saw it: the board when the phrase was revealed, the
// phrase, who drew it and who solved it (empty when nobody did), and what the board was
// told during the turn (for its time-lapse).
struct AlbumTurn {
    int number = 0; // the turn's place in the game, from 1
    QByteArray png; // the finished picture, kept compressed
    QString phrase;
    QString drawer;
    QString solver;
    BoardLog log;

    QImage picture() const;
    // "3. The phrase", "drawn by Ann", "solved by Bob" or "nobody solved it".
    QStringList caption() const;
};

// The turns of the game the window watched, for its end: bounded in memory, the oldest
// turns give way first (a game seldom has a hundred turns; a drawing compresses to tens of
// kilobytes, its log is at most BoardLog::kMaxPoints points).
class GameAlbum {
public:
    static constexpr qsizetype kMaxBytes = 64 * 1024 * 1024;
    static constexpr size_t kMaxTurns = 200;

    void clear();
    void keep(const QImage& board, const QString& phrase, const QString& drawer,
              const QString& solver, BoardLog log);

    const std::deque<AlbumTurn>& turns() const { return m_turns; }
    bool empty() const { return m_turns.empty(); }
    qsizetype bytes() const { return m_bytes; }

private:
    static qsizetype bytesOf(const AlbumTurn& turn);

    std::deque<AlbumTurn> m_turns;
    qsizetype m_bytes = 0;
    int m_played = 0;
};

} // namespace client
