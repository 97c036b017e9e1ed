#pragma once

#include <QString>

#include <optional>

namespace client {

// An address written in the transcript.
struct Link {
    int start = 0; // in the text it was found in
    int length = 0;
    QString address; // as written there, letter case kept
    QString target;  // what is opened: the address, "http://" before one written "www."
    // A local file ("file://..."): shown as a link, but never opened for a remote writer.
    bool local = false;
};

// The link at `position` of a transcript line, if any. Within the run of characters around
// the position that holds no blank, CR or LF, the first of these prefixes (in this order,
// wherever it stands in the run) starts the link: "http://", "https://", "ftp://",
// "file://", "gopher://", "telnet://", "news:", "mailto:", "www.". The link runs to the end
// of the run, less any trailing characters that are not ASCII letters, digits or "/" (a
// closing full stop or bracket), and counts only when it is longer than its prefix.
// A "www." link opens as "http://" and the address.
std::optional<Link> findLink(const QString& text, int position);

} // namespace client
