#include "client/gamealbum.h"

#include <QBuffer>

namespace client {

QImage AlbumTurn::picture() const
{
    QImage image;
    image.loadFromData(png, "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

QStringList AlbumTurn::caption() const
{
    return {QStringLiteral("%1. %2").arg(number).arg(phrase),
            QStringLiteral("drawn by %1").arg(drawer),
            solver.isEmpty() ? QStringLiteral("nobody solved it")
                             : QStringLiteral("solved by %1").arg(solver)};
}

void GameAlbum::clear()
{
    m_turns.clear();
    m_bytes = 0;
    m_played = 0;
}

qsizetype GameAlbum::bytesOf(const AlbumTurn& turn)
{
    return turn.png.size() + turn.log.bytes() +
           (turn.phrase.size() + turn.drawer.size() + turn.solver.size()) * 2;
}

void GameAlbum::keep(const QImage& board, const QString& phrase, const QString& drawer,
                     const QString& solver, BoardLog log)
{
    AlbumTurn turn;
    turn.number = ++m_played;
    QBuffer buffer(&turn.png);
    buffer.open(QIODevice::WriteOnly);
    board.save(&buffer, "PNG");
    turn.phrase = phrase;
    turn.drawer = drawer;
    turn.solver = solver;
    turn.log = std::move(log);
    m_bytes += bytesOf(turn);
    m_turns.push_back(std::move(turn));
    while (m_turns.size() > 1 && (m_bytes > kMaxBytes || m_turns.size() > kMaxTurns)) {
        m_bytes -= bytesOf(m_turns.front());
        m_turns.pop_front();
    }
}

} // namespace client
