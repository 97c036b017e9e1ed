#pragma once

#include "client/services.h"

class QWidget;

namespace host {
class HostServer;
}
namespace media {
class ClipPlayer;
}
namespace net {
class PortMapper;
}
namespace windows {
class Shell;
}

// The player window's side effects on a real desktop.

// Message boxes over the player window.
class MessageBoxDialogs : public client::Dialogs {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    void inform(const QString& text) override;

private:
    QWidget* m_parent = nullptr;
};

// The program's clips, played one at a time; silent without an audio output.
class ClipSounds : public client::SoundPlayer {
public:
    explicit ClipSounds(media::ClipPlayer& player) : m_player(player) {}
    void play(const QByteArray& name) override;

private:
    media::ClipPlayer& m_player;
};

// The host engine inside this program, switched on when the window hosts; a table for
// others also has the router asked to forward its port.
class EmbeddedHost : public client::HostSwitch {
public:
    EmbeddedHost(host::HostServer& server, net::PortMapper& router)
        : m_server(server), m_router(router)
    {}
    void start(bool solo) override;

private:
    host::HostServer& m_server;
    net::PortMapper& m_router;
};

// Addresses from the transcript, opened by the desktop.
class ShellLinks : public client::LinkOpener {
public:
    explicit ShellLinks(windows::Shell& shell) : m_shell(shell) {}
    void open(const QString& address) override;

private:
    windows::Shell& m_shell;
};
