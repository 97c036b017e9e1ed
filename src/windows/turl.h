#pragma once

#include <QString>

namespace windows {

class Shell;

// An address to open with the desktop shell: the address without its scheme, and the kind
// of address, which puts the scheme in front when it is opened.
class TURL {
public:
    enum URLType {
        utFile,   // "file://"
        utFtp,    // "ftp://"
        utGopher, // "gopher://"
        utHttp,   // "http://"
        utHttps,  // "https://"
        utMailto, // "mailto:"
        utNews,   // "news:"
        utTelnet, // "telnet:" (no slashes)
        utWais,   // "wais:"
        utnone,   // nothing: the address is opened as stored
    };

    static QString prefix(URLType type);

    // The shell is not owned and must outlive this object.
    explicit TURL(Shell& shell);

    void setUrl(const QString& url) { url_ = url; }
    URLType urlType() const { return type_; }
    void setUrlType(URLType type) { type_ = type; }

    // Prefix and address as handed to the shell.
    QString address() const { return prefix(type_) + url_; }

    // Without an address nothing is opened and the result is false; otherwise whether the
    // shell reports that it opened prefix + address.
    bool open() const;

private:
    Shell* shell_;
    QString url_;
    URLType type_ = utHttp;
};

} // namespace windows
