#include "client/chatpanel.h"

#include "client/chattersounds.h"
#include "client/roster.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/windows1252.h"
#include "ui/colours.h"
#include "ui/pictures.h"

#include <QColorDialog>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>

namespace client {

ChatPanel::ChatPanel(const Widgets& widgets, ChatView& transcript, const Roster& roster,
                     const EventSounds& sounds, QObject* parent)
    : QObject(parent), m_w(widgets), m_view(transcript), m_roster(roster), m_sounds(sounds)
{
    for (QToolButton* button : m_w.phrases)
        button->setIcon(QIcon(ui::picture(QStringLiteral("phrase"), {25, 19})));
    m_w.chatterSounds->setIcon(QIcon(ui::picture(QStringLiteral("sounds"), {25, 19})));
    // The design's look before any settings are read.
    setTextSize(kDesignTextSize);
    setTextColour(m_textColour);
}

void ChatPanel::chatReceived(const QByteArray& payload)
{
    m_view.addRelayedLine(payload);
}

void ChatPanel::playASound(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const QByteArray sound = r.next();
    if (m_sounds.chatterEnabled()) {
        m_sounds.playChatter(sound);
        return;
    }
    qint32 number = 0;
    const QString name = m_roster.rowName(slot);
    if (!sound.startsWith("wave") || !protocol::tryToInt(sound.mid(4), number) ||
        chatterSoundTitle(number).isEmpty() || name.isEmpty())
        return;
    m_view.addLine(name + QStringLiteral(": <Chatter Sound> ") + chatterSoundTitle(number),
                   kWarningColour);
}

void ChatPanel::haveWrongVersion(const QByteArray& payload)
{
    m_view.addLine(protocol::fromWindows1252(payload) +
                       QStringLiteral(" has a different version of the game then you."),
                   kWarningColour);
}

void ChatPanel::wrongVersion()
{
    m_view.addLine(QStringLiteral("You have a different version of the game then the host."),
                   kWarningColour);
}

void ChatPanel::setTextSize(int points)
{
    QFont font = m_w.transcript->font();
    font.setPointSize(points);
    m_w.transcript->setFont(font);
}

int ChatPanel::textSize() const
{
    return m_w.transcript->font().pointSize();
}

void ChatPanel::setTextColour(protocol::ColourValue colour)
{
    m_textColour = colour;
    QPalette palette = m_w.entry->palette();
    palette.setColor(QPalette::Text, ui::toQColor(colour));
    m_w.entry->setPalette(palette);
}

void ChatPanel::setPhrases(const std::array<QByteArray, kPhrases>& phrases)
{
    for (size_t n = 0; n < phrases.size(); ++n) {
        if (!phrases[n].isEmpty())
            m_w.phrases[n]->setToolTip(protocol::fromWindows1252(phrases[n]));
    }
}

bool ChatPanel::chooseTextColour(QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(ui::toQColor(m_textColour), parent);
    if (chosen.isValid())
        setTextColour(ui::fromQColor(chosen));
    return chosen.isValid();
}

bool ChatPanel::chooseActionColour(QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(ui::toQColor(m_actionColour), parent);
    if (chosen.isValid())
        m_actionColour = ui::fromQColor(chosen);
    return chosen.isValid();
}

} // namespace client
