#include "client/snapshotbutton.h"

#include "client/drawingboard.h"
#include "client/settingsfile.h"
#include "client/turnpanel.h"

#include <QPushButton>

#include <algorithm>

namespace client {

SnapshotButton::SnapshotButton(QPushButton* button, DrawingBoard& board, const TurnPanel& turn,
                               const Services& services, QObject* parent)
    : QObject(parent), m_button(button), m_board(board), m_turn(turn), m_services(services)
{
    m_button->hide();
    connect(m_button, &QPushButton::clicked, this, &SnapshotButton::take);
}

void SnapshotButton::turnEnded()
{
    m_button->show();
    m_button->raise();
}

void SnapshotButton::turnBegins()
{
    m_button->hide();
}

void SnapshotButton::setCount(int count)
{
    m_count = std::clamp(count, 0, kLastSnapshotNumber);
}

void SnapshotButton::take()
{
    // The caption is empty while a turn runs: there is no finished drawing to keep.
    const QString& caption = m_turn.snapshotCaption();
    if (caption.isEmpty() || !m_services.snapshots)
        return;
    if (m_count >= kLastSnapshotNumber) {
        Q_EMIT failed(QStringLiteral("No more snapshots can be kept: %1 is the last number. "
                                     "Move the snapshots to another folder and set Snapcount "
                                     "to 0 in the settings file to start again at 1.")
                          .arg(kLastSnapshotNumber));
        return;
    }
    ++m_count;
    // A second snapshot in the same pause writes the caption again at the same place.
    m_board.writeCaption(caption);
    if (const auto error = m_services.snapshots->save(m_board.picture(), m_count)) {
        Q_EMIT failed(*error);
        return;
    }
    Q_EMIT saved();
}

} // namespace client
