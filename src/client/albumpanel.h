#pragma once

#include "client/gamealbum.h"
#include "client/services.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;

namespace client {

class ChatView;
class DrawingBoard;
class Roster;
class TimeLapseExport;

// The evening's album: the window keeps the last picture of every turn of the game it
// watched, and at the game's end shows beside the winner the table's final ranking and a
// strip of the game's drawings over the board. A click on one shows it large on the board;
// "Replay" paints the chosen turn again from what the board was told, "Export Time-Lapse"
// writes it as an animated picture (with a progress bar and "Stop"), and "Save the album"
// writes the whole game into the snapshots folder: automatically too when the player
// asked for every album to be kept.
class AlbumPanel : public QObject {
    Q_OBJECT
public:
    // The panel's widgets are made over `boardArea` (the board's frame); `services` belongs
    // to the window and may be completed after construction.
    AlbumPanel(QWidget* boardArea, DrawingBoard& board, const Roster& roster, ChatView& chat,
               const Services& services, QObject* parent = nullptr);
    ~AlbumPanel() override;

    // A new game: the album starts empty. A turn: the panel goes away.
    void startGame();
    void startTurn();
    void keepTurn(const QString& phrase, const QString& drawer, const QString& solver,
                  BoardLog log);
    // The game is over: ranking, strip, and the album saved when every album is kept.
    void showGameEnd();

    void setSaveEveryAlbum(bool save) { m_saveEvery = save; }

    const GameAlbum& album() const { return m_album; }
    bool replaying() const { return m_replay.isActive(); }
    bool exporting() const;

    // What the buttons do, for the menus and for tests.
    std::optional<QString> saveAlbum();
    void replay();
    void exportTimeLapse();
    void stopExport();
    void showTurn(int index);

Q_SIGNALS:
    // A picture of the album is shown large: the winner's panel makes way.
    void pictureShown();
    void saved(const QString& folder);
    void exported(const QString& path);
    void failed(const QString& text);

private:
    void hide();
    std::array<QWidget*, 7> widgets() const;
    void fillRanking();
    void fillStrip();
    void replayStep();
    void endReplay();
    const AlbumTurn* chosen() const;
    QString snapshotsFolder(QString* error) const;

    QWidget* m_area;
    DrawingBoard& m_board;
    const Roster& m_roster;
    ChatView& m_chat;
    const Services& m_services;
    GameAlbum m_album;
    bool m_saveEvery = false;
    int m_chosen = -1; // index in the album's turns; -1 is the last
    QImage m_beforeReplay;

    QLabel* m_ranking;
    QListWidget* m_strip;
    QPushButton* m_save;
    QPushButton* m_replayButton;
    QPushButton* m_export;
    QProgressBar* m_progress;
    QPushButton* m_stop;
    QTimer m_replay;
    std::unique_ptr<BoardLog> m_replayLog;
    std::unique_ptr<TimeLapse> m_replaySteps;
    TimeLapseExport* m_exporter;
};

} // namespace client
