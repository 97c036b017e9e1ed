#pragma once

#include "protocol/colour.h"

#include <QString>

class QTextEdit;

namespace client {

// Colours of the window's own lines in the transcript.
inline constexpr protocol::ColourValue kNoticeColour = 9087660;   // $8AAAAC: ordinary notices
inline constexpr protocol::ColourValue kGameColour = 7903388;     // $78989C: starts, watching
inline constexpr protocol::ColourValue kWarningColour = 16711680; // blue: versions, chatter

// The chat transcript: every chat line and every notice of the window goes through
// addLine(). A line shows everything up to and including its first colon in bold, the
// rest in plain weight, all in the line's colour. Text is inserted as text, never read as
// markup. The transcript keeps the last kMaxLines lines, as chat programs keep a backlog,
// so a chatty table costs the window bounded memory however long it plays.
class ChatView {
public:
    static constexpr int kMaxLines = 2000;

    explicit ChatView(QTextEdit* transcript);

    void addLine(const QString& line, protocol::ColourValue colour);
    // A relayed chat or action line: "text|colour", white when the colour is missing or
    // unreadable. The text is Windows-1252 as it came from the host.
    void addRelayedLine(const QByteArray& body);

    // "Scroll Chat Off": new lines no longer move the view away from where the reader is.
    void setScrollLocked(bool locked) { m_scrollLocked = locked; }

private:
    QTextEdit* m_transcript;
    bool m_scrollLocked = false;
};

} // namespace client
