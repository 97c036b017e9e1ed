#pragma once

#include "client/chatview.h"
#include "client/clientconnection.h"
#include "client/clientstate.h"
#include "client/gamedisplay.h"
#include "client/services.h"
#include "client/windowgeometry.h"

#include <QMainWindow>
#include <QMenu>
#include <QStringList>

#include <memory>

namespace Ui {
class Tchat;
}

namespace client {

// The player window: the program's main window and the only client of the game protocol.
// Its parts are split by concern: ClientConnection (socket, queue, drain timer),
// GameDisplay (what the host announces), ChatView (the transcript), DrawingBoard.
class Tchat : public QMainWindow, private MessageSink {
    Q_OBJECT
public:
    explicit Tchat(Services services, QWidget* parent = nullptr);
    ~Tchat() override;

    // The command line (without the program name), carried out when the window is first
    // shown.
    // The host and the side windows are made after the window; they join here.
    void setServices(const Services& services) { m_services = services; }
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    void processParams(const QStringList& arguments);
    void hostpress();
    void joinpress();
    // The game start dialog's "Start Game".
    void startgame(bool team, const QString& playToScore, const QString& timePerTurn);
    void kicking(int slot);
    void addlinetochat(const QString& line, protocol::ColourValue colour);

    void loadinifile();
    void saveinifile();

    // The context menu of a score-board row (2 to 10), its items enabled as they apply.
    std::unique_ptr<QMenu> rowMenu(int row);

    Ui::Tchat& ui() { return *m_ui; }
    ClientConnection& connection() { return *m_connection; }
    const ClientState& state() const { return m_state; }
    GameDisplay& display() { return *m_display; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void handleMessage(protocol::MessageId id, const QByteArray& payload) override;
    void sendloginfo(const QByteArray& payload);
    void moveit(const QByteArray& payload);
    void drawit(const QByteArray& payload);
    void clearmain(const QByteArray& payload);
    void playasound(const QByteArray& payload);

    void setUpMenus();
    void setUpRowMenus();
    void buttonStartClick();
    void inform(const QString& text);
    void closeSoon();

    std::unique_ptr<Ui::Tchat> m_ui;
    Services m_services;
    ClientState m_state;
    std::unique_ptr<ChatView> m_chat;
    ClientConnection* m_connection;
    GameDisplay* m_display;
    QStringList m_arguments;
    bool m_started = false;
    bool m_informing = false;
    int m_snapCount = 0;
    protocol::ColourValue m_textColour = protocol::rgbColour(128, 0, 0);
    protocol::ColourValue m_actionColour = protocol::kBlack;
    // Geometry as last read from or written to the settings file (all 0 until read).
    Geometry m_rememberedGeometry;
};

} // namespace client
