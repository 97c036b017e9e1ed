#pragma once

#include "client/services.h"

#include <QByteArray>

namespace client {

// The window's two sound switches ("Play Sounds", "Play Chatter Sounds") in front of the
// player. Game events play only with the first on, chatter sounds only with the second.
class EventSounds {
public:
    // `services` belongs to the window and may be completed after construction.
    explicit EventSounds(const Services& services) : m_services(services) {}

    void setEnabled(bool on) { m_enabled = on; }
    void setChatterEnabled(bool on) { m_chatter = on; }
    bool chatterEnabled() const { return m_chatter; }

    // A game event's sound ("turn", "cat3", "correct", ...).
    void play(const QByteArray& name) const
    {
        if (m_enabled && m_services.sounds)
            m_services.sounds->play(name);
    }
    // A chatter sound ("wave1" to "wave20") another player sent.
    void playChatter(const QByteArray& name) const
    {
        if (m_chatter && m_services.sounds)
            m_services.sounds->play(name);
    }

private:
    const Services& m_services;
    bool m_enabled = true;
    bool m_chatter = true;
};

} // namespace client
