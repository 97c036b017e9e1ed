#include "client/boardpanel.h"

#include "client/clientconnection.h"
#include "client/drawingboard.h"
#include "protocol/catalogue.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "ui/colourbutton.h"
#include "ui/pictures.h"
#include "ui/updown.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QToolButton>

namespace client {

using protocol::MessageId;

namespace {
constexpr int kStartWidth = 3;
} // namespace

BoardPanel::BoardPanel(const Widgets& widgets, const ClientState& state,
                       ClientConnection& connection, QObject* parent)
    : QObject(parent), m_w(widgets), m_state(state), m_connection(connection)
{
    m_w.trash->setIcon(QIcon(ui::picture(QStringLiteral("trash"), {24, 24})));
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
}

void BoardPanel::startGame()
{
    m_w.toolbar->hide();
}

void BoardPanel::pickCategory()
{
    m_strokeActive = false;
}

void BoardPanel::startTurn(int drawer)
{
    m_w.board->wipe();
    m_log.clear();
    // Every turn starts with a black pen of width 3; the spinner steps on from there.
    m_w.colour->setColour(protocol::kBlack);
    m_w.widthSpinner->setValue(kStartWidth);
    m_w.toolbar->setVisible(drawer == m_state.mySlot);
}

void BoardPanel::mouseDown(QPoint at)
{
    Q_EMIT touched();
    if (!drawing())
        return;
    m_strokeActive = true;
    m_penColour = m_w.colour->colour();
    m_penWidth = m_w.widthSpinner->value();
    m_w.board->penDown(m_penColour, m_penWidth, at);
    m_log.penDown(m_penColour, m_penWidth, at);
    if (m_state.connected)
        m_connection.send(MessageId::MoveItToHost,
                          {m_state.mySlot, m_penColour, m_penWidth, at.x(), at.y()});
    m_pending.clear();
}

void BoardPanel::mouseMove(QPoint at, Qt::MouseButtons buttons)
{
    if (!m_strokeActive || !drawing())
        return;
    if (buttons & Qt::LeftButton) {
        m_w.board->strokeTo(m_penColour, m_penWidth, {at});
        m_log.strokeTo(m_penColour, m_penWidth, {at});
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
    m_connection.send(MessageId::DrawToHost,
                      {m_state.mySlot, m_penColour, m_penWidth, QByteArray(), m_pending});
    m_pending.clear();
}

void BoardPanel::clearClick()
{
    if (!drawing())
        return;
    m_w.board->wipe();
    m_log.wipe();
    if (m_state.connected)
        m_connection.send(MessageId::ClearMainToHost, {m_state.mySlot});
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
