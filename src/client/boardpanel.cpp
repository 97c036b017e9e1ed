#include "client/boardpanel.h"

#include "client/drawingboard.h"
#include "protocol/colour.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "ui/colourbutton.h"
#include "ui/pictures.h"
#include "ui/updown.h"

#include <QLineEdit>
#include <QToolButton>

namespace client {

namespace {
constexpr int kStartWidth = 3;
} // namespace

BoardPanel::BoardPanel(const Widgets& widgets, const ClientState& state, QObject* parent)
    : QObject(parent), m_w(widgets), m_state(state)
{
    m_w.trash->setIcon(QIcon(ui::picture(QStringLiteral("trash"), {24, 24})));
    m_w.widthSpinner->setRange(0, DrawingBoard::kMaxPenWidth);
    m_w.widthSpinner->setSingleStep(1);
    m_w.widthSpinner->setValue(kStartWidth);
    m_w.widthSpinner->setBuddy(m_w.width);
}

void BoardPanel::startGame()
{
    m_w.toolbar->hide();
}

void BoardPanel::startTurn(int drawer)
{
    m_w.board->wipe();
    // Every turn starts with a black pen of width 3; the spinner steps on from there.
    m_w.colour->setColour(protocol::kBlack);
    m_w.widthSpinner->setValue(kStartWidth);
    m_w.toolbar->setVisible(drawer == m_state.mySlot);
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
}

void BoardPanel::drawit(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    if (r.nextInt() == m_state.mySlot)
        return;
    const protocol::ColourValue colour = protocol::toColour(r.next());
    const int width = r.nextInt();
    m_w.board->strokeTo(colour, width, r.restPointList());
}

void BoardPanel::clearmain(const QByteArray& payload)
{
    if (protocol::toInt(payload) != m_state.mySlot)
        m_w.board->wipe();
}

} // namespace client
