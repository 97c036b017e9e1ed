#pragma once

#include <QString>

namespace windows {

// Asks the desktop to open a file or an address the way a double click would: an address
// goes to its default program (browser, mail program), a document to the program
// registered for it, a program is started. The result follows the desktop shell's
// convention: a value above 32 means the item was opened, 32 or less names why not.
class Shell {
public:
    static constexpr int kFileNotFound = 2;
    static constexpr int kNotStarted = 11;
    static constexpr int kNoAssociation = 31;
    static constexpr int kOpened = 42;

    static bool succeeded(int result) { return result > 32; }

    virtual ~Shell() = default;

    // `parameters` go to a program on its command line (split like a shell would, quotes
    // keep blanks together) and are ignored for documents and addresses; `folder` is the
    // program's working folder and the base of a relative file name (empty: the current
    // folder).
    virtual int open(const QString& fileOrAddress, const QString& parameters,
                     const QString& folder) = 0;
};

// The shell of the desktop we run on: addresses and documents through xdg-open (elsewhere
// QDesktopServices::openUrl), programs through QProcess::startDetached.
class DesktopShell : public Shell {
public:
    int open(const QString& fileOrAddress, const QString& parameters,
             const QString& folder) override;
};

} // namespace windows
