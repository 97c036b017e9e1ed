#include "client/chatpanel.h"

#include "client/chattersounds.h"
#include "client/clientconnection.h"
#include "client/links.h"
#include "client/roster.h"
#include "net/tsock.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/windows1252.h"
#include "ui/colours.h"
#include "ui/pictures.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>

#include <utility>

namespace client {

using protocol::MessageId;

namespace {
const QString kPlaceholder = QStringLiteral("<Enter Chat Here>");

bool isEnter(const QEvent* event)
{
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

ChatPanel::ChatPanel(const Widgets& widgets, ChatView& transcript, const ClientState& state,
                     const Roster& roster, const EventSounds& sounds, ClientConnection& connection,
                     const Services& services, QObject* parent)
    : QObject(parent), m_w(widgets), m_view(transcript), m_state(state), m_roster(roster),
      m_sounds(sounds), m_connection(connection), m_services(services)
{
    for (int n = 1; n <= kPhrases; ++n) {
        QToolButton* button = m_w.phrases[static_cast<size_t>(n - 1)];
        button->setIcon(QIcon(ui::picture(QStringLiteral("phrase"), {25, 19})));
        connect(button, &QToolButton::clicked, this, [this, n] { sendPhrase(n); });
    }
    m_w.chatterSounds->setIcon(QIcon(ui::picture(QStringLiteral("sounds"), {25, 19})));
    setUpMenus();
    m_w.entry->installEventFilter(this);
    m_w.transcript->viewport()->installEventFilter(this);
    m_w.transcript->viewport()->setMouseTracking(true);
    // The design's look before any settings are read.
    setTextSize(kDesignTextSize);
    setTextColour(m_textColour);
}

void ChatPanel::setUpMenus()
{
    // The chatter sounds: "<Cancel>", then the twenty sounds under their titles.
    m_soundsMenu = new QMenu(m_w.chatterSounds);
    m_soundsMenu->setObjectName(QStringLiteral("popup_sounds"));
    QAction* cancel = m_soundsMenu->addAction(QStringLiteral("<Cancel>"));
    cancel->setObjectName(QStringLiteral("Cancel1"));
    cancel->setData(0);
    for (int k = 1; k <= kChatterSounds; ++k) {
        QAction* sound = m_soundsMenu->addAction(chatterSoundTitle(k));
        sound->setObjectName(QStringLiteral("wave%1").arg(k));
        sound->setToolTip(chatterSoundTitle(k));
        sound->setData(k);
    }
    connect(m_soundsMenu, &QMenu::triggered, this,
            [this](QAction* chosen) { sendChatterSound(chosen->data().toInt()); });
    connect(m_w.chatterSounds, &QToolButton::clicked, this, [this] {
        // Just right of and below the button.
        const QToolButton* b = m_w.chatterSounds;
        m_soundsMenu->popup(b->mapToGlobal(QPoint(b->width(), b->height())));
    });

    m_transcriptMenu = new QMenu(m_w.transcript);
    m_transcriptMenu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* copyItem = m_transcriptMenu->addAction(QStringLiteral("Copy"));
    copyItem->setObjectName(QStringLiteral("Copy1"));
    copyItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    connect(copyItem, &QAction::triggered, this, &ChatPanel::copy);
    QAction* clearItem = m_transcriptMenu->addAction(QStringLiteral("Clear Main Chat"));
    clearItem->setObjectName(QStringLiteral("ClearMainChat2"));
    connect(clearItem, &QAction::triggered, this, &ChatPanel::clearTranscript);
    // The pop-up's "Scroll Chat Off" shows and toggles the Options menu's item.
    QAction* scrollItem = m_transcriptMenu->addAction(QStringLiteral("Scroll Chat Off"));
    scrollItem->setObjectName(QStringLiteral("ScrollChatOff2"));
    scrollItem->setCheckable(true);
    connect(scrollItem, &QAction::triggered, m_w.scrollChatOff, &QAction::trigger);
    connect(m_w.scrollChatOff, &QAction::toggled, scrollItem, &QAction::setChecked);
    connect(m_w.scrollChatOff, &QAction::toggled, this,
            [this](bool on) { m_view.setScrollLocked(on); });
    m_w.transcript->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_w.transcript, &QTextEdit::customContextMenuRequested, this,
            [this](QPoint at) { m_transcriptMenu->popup(m_w.transcript->mapToGlobal(at)); });

    m_entryMenu = new QMenu(m_w.entry);
    m_entryMenu->setObjectName(QStringLiteral("PopupMenu2"));
    QAction* pasteItem = m_entryMenu->addAction(QStringLiteral("Paste"));
    pasteItem->setObjectName(QStringLiteral("Paste1"));
    pasteItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    connect(pasteItem, &QAction::triggered, this, &ChatPanel::paste);
    m_w.entry->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_w.entry, &QLineEdit::customContextMenuRequested, this,
            [this](QPoint at) { m_entryMenu->popup(m_w.entry->mapToGlobal(at)); });
}

bool ChatPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_w.entry) {
        if (event->type() == QEvent::KeyPress) {
            // The placeholder goes with the first key; a click leaves it.
            if (m_w.entry->text() == kPlaceholder)
                m_w.entry->clear();
            if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
                paste();
                return true;
            }
            if (isEnter(event)) {
                m_enterPressed = true;
                sendit();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease && isEnter(event)) {
            if (std::exchange(m_enterPressed, false))
                sendit();
            return true;
        }
        return false;
    }
    // Mouse events only: the transcript's viewport also reports its destruction here, when
    // the transcript is no longer a scroll area to ask for its viewport.
    const bool mouse =
        event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress;
    if (mouse && watched == m_w.transcript->viewport())
        return linkEvent(event);
    return QObject::eventFilter(watched, event);
}

bool ChatPanel::linkEvent(QEvent* event)
{
    const bool move = event->type() == QEvent::MouseMove;
    const bool press = event->type() == QEvent::MouseButtonPress &&
                       static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (!move && !press)
        return false;
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    // Only a press on a character counts, not one past the end of the text.
    const QPoint inDocument = at + QPoint(m_w.transcript->horizontalScrollBar()->value(),
                                          m_w.transcript->verticalScrollBar()->value());
    const int position =
        m_w.transcript->document()->documentLayout()->hitTest(inDocument, Qt::ExactHit);
    std::optional<Link> link;
    QTextBlock block;
    if (position >= 0) {
        block = m_w.transcript->document()->findBlock(position);
        link = findLink(block.text(), position - block.position());
    }
    m_w.transcript->viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::IBeamCursor);
    if (!press || !link)
        return false;
    QTextCursor selection(m_w.transcript->document());
    selection.setPosition(block.position() + link->start);
    selection.setPosition(block.position() + link->start + link->length, QTextCursor::KeepAnchor);
    m_w.transcript->setTextCursor(selection);
    // Another player wrote it: a local file is shown as a link but never opened.
    if (!link->local && m_services.links)
        m_services.links->open(link->target);
    return true;
}

void ChatPanel::sendit()
{
    if (!m_state.connected)
        return; // the entry keeps its text
    const QString text = m_w.entry->text();
    // The placeholder is the window's, never the player's line.
    if (text.isEmpty() || text == kPlaceholder) {
        m_w.entry->clear();
        return;
    }
    if (!text.startsWith(QLatin1Char('/'))) {
        m_connection.send(
            MessageId::ChatToHost,
            {m_state.mySlot, protocol::TextColour{protocol::toWindows1252(text), m_textColour}});
    } else if (text.startsWith(QLatin1String("/me"))) {
        m_connection.send(
            MessageId::ActionToHost,
            {m_state.mySlot,
             protocol::TextColour{protocol::toWindows1252(text.mid(4)), m_actionColour}});
    }
    m_w.entry->clear();
}

void ChatPanel::sendPhrase(int button)
{
    if (button < 1 || button > kPhrases || !m_connection.phraseAllowed())
        return;
    const QString phrase = m_w.phrases[static_cast<size_t>(button - 1)]->toolTip();
    const QString body =
        phrase.startsWith(QLatin1String("/me")) ? phrase.mid(4) : QStringLiteral("says: ") + phrase;
    // No test of the connection: while it is being made the phrase waits in the socket.
    try {
        m_connection.sendUnchecked(
            MessageId::ActionToHost,
            {m_state.mySlot, protocol::TextColour{protocol::toWindows1252(body), m_actionColour}});
    } catch (const net::ESockException& e) {
        if (m_onError)
            m_onError(QString::fromLatin1(e.what()));
        return;
    }
    m_connection.phraseSent();
}

void ChatPanel::sendChatterSound(int number)
{
    // Spectators send none.
    if (number < 1 || number > kChatterSounds || m_state.isSpectator() || !m_state.connected)
        return;
    m_connection.send(MessageId::PlayASoundToHost,
                      {m_state.mySlot, QByteArray("wave") + QByteArray::number(number)});
}

void ChatPanel::copy()
{
    // Nothing selected is nothing to copy: what the player put on the clipboard stays.
    const QTextCursor cursor = m_w.transcript->textCursor();
    if (!cursor.hasSelection())
        return;
    // selectedText() separates lines with U+2029, which other programs do not take for a
    // line break; the selection's plain text has ordinary ones.
    QApplication::clipboard()->setText(cursor.selection().toPlainText());
}

void ChatPanel::paste()
{
    // The clipboard's text replaces the whole entry.
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data && data->hasText())
        m_w.entry->setText(data->text());
}

void ChatPanel::clearTranscript()
{
    m_w.transcript->clear();
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
    m_textSize = points;
    QFont font = m_w.transcript->font();
    font.setPointSize(points);
    m_w.transcript->setFont(font);
}

int ChatPanel::textSize() const
{
    // The size chosen, not the one shown: a grown window shows the transcript larger.
    return m_textSize > 0 ? m_textSize : m_w.transcript->font().pointSize();
}

void ChatPanel::setTextColour(protocol::ColourValue colour)
{
    m_textColour = colour;
    QPalette palette = m_w.entry->palette();
    palette.setColor(QPalette::Text, ui::toQColor(colour));
    m_w.entry->setPalette(palette);
}

std::array<QString, ChatPanel::kPhrases> ChatPanel::phrases() const
{
    std::array<QString, kPhrases> texts;
    for (size_t n = 0; n < texts.size(); ++n)
        texts[n] = m_w.phrases[n]->toolTip();
    return texts;
}

void ChatPanel::setPhrases(const std::array<QString, kPhrases>& phrases)
{
    for (size_t n = 0; n < phrases.size(); ++n)
        m_w.phrases[n]->setToolTip(phrases[n]);
}

void ChatPanel::loadPhrases(const std::array<QByteArray, kPhrases>& phrases)
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
