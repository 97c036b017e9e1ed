#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace client {

// A settings file in the usual layout ("[Section]" lines and "key=value" lines), shared with
// other programs. Section and key names are compared without regard to ASCII letter case,
// values are single-byte Windows-1252 text kept as bytes.
//
// Reading goes through SimpleIni. Writing edits the loaded text in place: a changed key keeps
// its line (and the spelling of its name), a new key goes after the last entry of its section,
// a new section goes at the end. Every other byte of the file - other sections, comments,
// blank lines, spacing, line endings - is written back as it was read. The file is replaced
// atomically, so a failed save leaves the old file untouched.
class IniFile {
public:
    explicit IniFile(QString path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& path() const { return m_path; }

    // Reads the file. A missing file reads as an empty one. False (with a reason in `error`)
    // when the file exists but cannot be read; the object is then empty and save() refuses.
    // Only a regular file (links followed) of at most 1 MiB is read: a FIFO, a device or a
    // huge file is refused without being opened or read into memory.
    bool load(QString* error = nullptr);

    // The value as a reader of the file sees it (blanks around it trimmed); nullopt when the
    // section or key is missing. Reflects setValue calls not yet saved.
    std::optional<QByteArray> value(const char* section, const char* key) const;

    // Line breaks and NUL bytes cannot live inside a value; they become blanks. Blanks around
    // the value are dropped, as a reader would drop them.
    void setValue(const char* section, const char* key, const QByteArray& value);

    // Writes the loaded text with the changes applied. False (with a reason in `error`) when
    // the file is read-only or cannot be replaced; the file on disk is then unchanged.
    bool save(QString* error = nullptr);

private:
    struct Change {
        QByteArray section;
        QByteArray key;
        QByteArray value;
    };
    struct Parsed;

    QByteArray patchedText() const;

    QString m_path;
    QByteArray m_text;
    std::unique_ptr<Parsed> m_parsed;
    std::vector<Change> m_changes;
    bool m_loaded = false; // save() never replaces a file that could not be read
};

} // namespace client
