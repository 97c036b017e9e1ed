#include "client/chatview.h"

#include "protocol/windows1252.h"
#include "ui/colours.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace client {

ChatView::ChatView(QTextEdit* transcript) : m_transcript(transcript)
{
    m_transcript->document()->setMaximumBlockCount(kMaxLines);
}

void ChatView::addLine(const QString& line, protocol::ColourValue colour)
{
    QScrollBar* bar = m_transcript->verticalScrollBar();
    const int keptScroll = bar->value();
    const QTextCursor keptCursor = m_transcript->textCursor();

    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const QString head = colon < 0 ? QString() : line.left(colon + 1);
    const QString tail = colon < 0 ? line : line.mid(colon + 1);

    QTextCursor cursor(m_transcript->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_transcript->document()->isEmpty())
        cursor.insertBlock();
    QTextCharFormat format;
    format.setForeground(ui::toQColor(colour));
    format.setFontWeight(QFont::Bold);
    cursor.insertText(head, format);
    format.setFontWeight(QFont::Normal);
    cursor.insertText(tail, format);

    if (m_scrollLocked) {
        m_transcript->setTextCursor(keptCursor);
        bar->setValue(keptScroll);
    } else {
        m_transcript->setTextCursor(cursor);
        bar->setValue(bar->maximum());
    }
}

void ChatView::addRelayedLine(const QByteArray& body)
{
    const protocol::TextColour line = protocol::splitTextColour(body);
    addLine(protocol::fromWindows1252(line.text), line.colour);
}

} // namespace client
