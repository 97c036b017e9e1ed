#include "client/boardpanel.h"

#include "client/clientconnection.h"
#include "client/drawingboard.h"
#include "client/fillplan.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "ui/colourbutton.h"
#include "ui/pictures.h"
#include "ui/updown.h"

#include <QCoreApplication>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

namespace client {

using protocol::MessageId;

namespace {
constexpr int kStartWidth = 3;

bool isUndo(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Undo);
}

bool isRedo(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Redo) ||
           (key.key() == Qt::Key_Y && key.modifiers() == Qt::ControlModifier);
}
} // namespace

BoardPanel::BoardPanel(const Widgets& widgets, const ClientState& state,
                       ClientConnection& connection, QObject* parent)
    : QObject(parent), m_w(widgets), m_state(state), m_connection(connection)
{
    m_w.trash->setIcon(QIcon(ui::picture(QStringLiteral("trash"), {24, 24})));
    m_w.eraser->setIcon(QIcon(ui::picture(QStringLiteral("eraser"), {22, 22})));
    m_w.fill->setIcon(QIcon(ui::picture(QStringLiteral("fill"), {22, 22})));
    m_w.undo->setIcon(QIcon(ui::picture(QStringLiteral("undo"), {22, 22})));
    m_w.redo->setIcon(QIcon(ui::picture(QStringLiteral("redo"), {22, 22})));
    // The width field holds a whole number the spinner's range allows, nothing else.
    m_w.width->setValidator(new QIntValidator(0, DrawingBoard::kMaxPenWidth, m_w.width));
    m_w.widthSpinner->setRange(0, DrawingBoard::kMaxPenWidth);
    m_w.widthSpinner->setSingleStep(1);
    m_w.widthSpinner->setValue(kStartWidth);
    m_w.widthSpinner->setBuddy(m_w.width);

    connect(m_w.board, &DrawingBoard::pressed, this, [this](QPoint at) { mouseDown(at); });
    connect(m_w.board, &DrawingBoard::moved, this, &BoardPanel::mouseMove);
    connect(m_w.board, &DrawingBoard::released, this, [this] { mouseUp(); });
    connect(m_w.trash, &QToolButton::clicked, this, &BoardPanel::clearClick);
    connect(m_w.eraser, &QToolButton::toggled, this, &BoardPanel::chooseEraser);
    connect(m_w.fill, &QToolButton::toggled, this, [this](bool on) {
        if (on)
            m_w.eraser->setChecked(false);
    });
    connect(m_w.undo, &QToolButton::clicked, this, &BoardPanel::undo);
    connect(m_w.redo, &QToolButton::clicked, this, &BoardPanel::redo);

    QWidget* window = m_w.board->window();
    for (const QKeySequence& keys :
         {QKeySequence(QKeySequence::Undo), QKeySequence(QKeySequence::Redo),
          QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        auto* shortcut = new QShortcut(keys, window);
        const bool undoKeys = keys == QKeySequence(QKeySequence::Undo);
        connect(shortcut, &QShortcut::activated, this,
                undoKeys ? &BoardPanel::undo : &BoardPanel::redo);
    }
    m_clock.start();
    m_drainTimer.setSingleShot(true);
    connect(&m_drainTimer, &QTimer::timeout, this, &BoardPanel::drain);
    updateHistoryButtons();
}

void BoardPanel::startGame()
{
    m_w.toolbar->hide();
}

void BoardPanel::pickCategory()
{
    m_strokeActive = false;
    // What the last turn's drawer had not sent yet belongs to a finished drawing.
    m_outbox.clear();
}

void BoardPanel::startTurn(int drawer)
{
    m_w.board->wipe();
    m_log.clear();
    m_history.clear();
    m_outbox.clear();
    m_strokeActive = false;
    // Every turn starts with a black pen of width 3, the spinner steps on from there, and
    // the eraser starts at its own width.
    m_w.fill->setChecked(false);
    m_w.eraser->setChecked(false);
    m_otherWidth = kStartEraserWidth;
    m_w.colour->setColour(protocol::kBlack);
    m_w.widthSpinner->setValue(kStartWidth);
    m_w.toolbar->setVisible(drawer == m_state.mySlot);
    updateHistoryButtons();
    // The drawer's Ctrl+Z undoes drawing unless a text field has typing to undo.
    if (drawer == m_state.mySlot)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool BoardPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || !drawing())
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    const bool undoKey = isUndo(key);
    if (!undoKey && !isRedo(key))
        return false;
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || field->window() != m_w.board->window())
        return false;
    // Kept from the field, the keys reach the window's shortcuts.
    return undoKey ? !field->isUndoAvailable() : !field->isRedoAvailable();
}

void BoardPanel::chooseEraser(bool on)
{
    // The spinner shows the width of the tool in hand; the other keeps its own.
    const int shown = m_w.widthSpinner->value();
    m_w.widthSpinner->setValue(m_otherWidth);
    m_otherWidth = shown;
    if (on)
        m_w.fill->setChecked(false);
}

void BoardPanel::mouseDown(QPoint at)
{
    Q_EMIT touched();
    if (!drawing())
        return;
    if (m_w.fill->isChecked())
        return fillAt(at);
    m_strokeActive = true;
    m_penColour = m_w.eraser->isChecked() ? protocol::kWhite : m_w.colour->colour();
    m_penWidth = m_w.widthSpinner->value();
    m_w.board->penDown(m_penColour, m_penWidth, at);
    m_log.penDown(m_penColour, m_penWidth, at);
    m_history.beginStroke(m_penColour, m_penWidth, at);
    updateHistoryButtons();
    send(MessageId::MoveItToHost, {m_state.mySlot, m_penColour, m_penWidth, at.x(), at.y()});
    m_pending.clear();
}

void BoardPanel::mouseMove(QPoint at, Qt::MouseButtons buttons)
{
    if (!m_strokeActive || !drawing())
        return;
    if (buttons & Qt::LeftButton) {
        m_w.board->strokeTo(m_penColour, m_penWidth, {at});
        m_log.strokeTo(m_penColour, m_penWidth, {at});
        m_history.extendStroke({at});
        m_pending.append(at);
        if (m_pending.size() >= kBatch && m_state.connected)
            sendPending();
        return;
    }
    // The stroke began with another button, or its last points went out before the
    // button was let go: the first movement after closes it.
    if (m_state.connected) {
        sendPending();
        m_strokeActive = false;
    }
}

void BoardPanel::mouseUp()
{
    if (m_strokeActive && drawing() && !m_pending.isEmpty() && m_state.connected) {
        sendPending();
        m_strokeActive = false;
    }
}

void BoardPanel::sendPending()
{
    send(MessageId::DrawToHost, {m_state.mySlot, m_penColour, m_penWidth, QByteArray(), m_pending});
    m_pending.clear();
}

void BoardPanel::closeStroke()
{
    if (m_strokeActive && !m_pending.isEmpty())
        sendPending();
    m_strokeActive = false;
}

void BoardPanel::wipeBoard()
{
    m_w.board->wipe();
    m_log.wipe();
    send(MessageId::ClearMainToHost, {m_state.mySlot});
}

void BoardPanel::drawStrokes(const std::vector<Stroke>& strokes)
{
    for (const StrokeLine& line : strokeLines(strokes)) {
        if (line.penDown) {
            const QPoint at = line.points.front();
            m_w.board->penDown(line.colour, line.width, at);
            m_log.penDown(line.colour, line.width, at);
            send(MessageId::MoveItToHost,
                 {m_state.mySlot, line.colour, line.width, at.x(), at.y()});
        } else {
            m_w.board->strokeTo(line.colour, line.width, line.points);
            m_log.strokeTo(line.colour, line.width, line.points);
            send(MessageId::DrawToHost,
                 {m_state.mySlot, line.colour, line.width, QByteArray(), line.points});
        }
    }
}

void BoardPanel::clearClick()
{
    if (!drawing())
        return;
    closeStroke();
    m_history.addWipe();
    wipeBoard();
    updateHistoryButtons();
}

void BoardPanel::fillAt(QPoint at)
{
    std::optional<std::vector<Stroke>> plan =
        planFill(m_w.board->picture(), at, m_w.colour->colour());
    if (!plan)
        return;
    drawStrokes(*plan);
    m_history.addStrokes(std::move(*plan));
    updateHistoryButtons();
}

void BoardPanel::undo()
{
    if (!drawing() || !m_history.canUndo())
        return;
    closeStroke();
    const std::vector<Stroke> kept = m_history.undo();
    wipeBoard();
    drawStrokes(kept);
    updateHistoryButtons();
}

void BoardPanel::redo()
{
    if (!drawing() || !m_history.canRedo())
        return;
    closeStroke();
    const DrawingHistory::Redo step = m_history.redo();
    if (step.wipe)
        wipeBoard();
    drawStrokes(step.strokes);
    updateHistoryButtons();
}

void BoardPanel::updateHistoryButtons()
{
    m_w.undo->setEnabled(m_history.canUndo());
    m_w.redo->setEnabled(m_history.canRedo());
}

void BoardPanel::send(MessageId id, protocol::Fields fields)
{
    if (!m_state.connected)
        return;
    m_outbox.push_back({id, std::move(fields)});
    drain();
}

void BoardPanel::drain()
{
    const qint64 now = m_clock.elapsed();
    while (!m_outbox.empty() && m_pacer.hasLine(now)) {
        m_pacer.spend();
        m_connection.send(m_outbox.front().id, m_outbox.front().fields);
        m_outbox.pop_front();
    }
    if (!m_outbox.empty() && !m_drainTimer.isActive())
        m_drainTimer.start(static_cast<int>(std::max<qint64>(1, m_pacer.msUntilNext(now))));
}

void BoardPanel::moveit(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    if (r.nextInt() == m_state.mySlot)
        return; // the drawer's own window has drawn it already
    const protocol::ColourValue colour = protocol::toColour(r.next());
    const int width = r.nextInt();
    const int x = r.nextInt();
    const int y = r.restInt();
    m_w.board->penDown(colour, width, {x, y});
    m_log.penDown(colour, width, {x, y});
}

void BoardPanel::drawit(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    if (r.nextInt() == m_state.mySlot)
        return;
    const protocol::ColourValue colour = protocol::toColour(r.next());
    const int width = r.nextInt();
    // A stroke that goes wrong halfway keeps what came before: its points up to the bad
    // one are drawn, the rest is dropped, and the connection logs the message once.
    QByteArray bad;
    const QList<QPoint> points = r.restPointsBeforeBad(bad);
    m_w.board->strokeTo(colour, width, points);
    m_log.strokeTo(colour, width, points);
    if (!bad.isNull())
        throw protocol::ConversionError(bad);
}

void BoardPanel::clearmain(const QByteArray& payload)
{
    if (protocol::toInt(payload) != m_state.mySlot) {
        m_w.board->wipe();
        m_log.wipe();
    }
}

} // namespace client
