#include "client/albumpanel.h"

#include "client/chatview.h"
#include "client/drawingboard.h"
#include "client/roster.h"
#include "client/seats.h"
#include "client/timelapseexport.h"
#include "media/albumfolder.h"
#include "media/albumsheet.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace client {

namespace {

// A replay takes about five seconds whatever the drawing's length.
constexpr int kReplaySteps = 60;
constexpr int kReplayStepMs = 80;
constexpr QSize kThumbnail{84, 58};
// A thumbnail and a line of its phrase under it.
constexpr QSize kStripCell{100, 74};

QPushButton* button(QWidget* parent, const QString& text, QRect at)
{
    auto* b = new QPushButton(text, parent);
    b->setGeometry(at);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

} // namespace

AlbumPanel::AlbumPanel(QWidget* boardArea, DrawingBoard& board, const Roster& roster,
                       ChatView& chat, const Services& services, QObject* parent)
    : QObject(parent), m_area(boardArea), m_board(board), m_roster(roster), m_chat(chat),
      m_services(services), m_ranking(new QLabel(boardArea)), m_strip(new QListWidget(boardArea)),
      m_save(button(boardArea, QStringLiteral("Save the album"), {4, 4, 104, 22})),
      m_replayButton(button(boardArea, QStringLiteral("Replay"), {112, 4, 64, 22})),
      m_export(button(boardArea, QStringLiteral("Export Time-Lapse"), {180, 4, 116, 22})),
      m_progress(new QProgressBar(boardArea)),
      m_stop(button(boardArea, QStringLiteral("Stop"), {404, 4, 56, 22})),
      m_exporter(new TimeLapseExport(this))
{
    m_ranking->setObjectName(QStringLiteral("album_ranking"));
    m_strip->setObjectName(QStringLiteral("album_strip"));
    m_save->setObjectName(QStringLiteral("album_save"));
    m_replayButton->setObjectName(QStringLiteral("album_replay"));
    m_export->setObjectName(QStringLiteral("album_export"));
    m_progress->setObjectName(QStringLiteral("album_progress"));
    m_stop->setObjectName(QStringLiteral("album_stop"));

    // Names come from the wire: plain text only.
    m_ranking->setTextFormat(Qt::PlainText);
    m_ranking->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ranking->setFrameShape(QFrame::StyledPanel);
    m_ranking->setAutoFillBackground(true);
    m_ranking->setMargin(4);
    m_ranking->setGeometry(4, 70, 108, 210);

    m_strip->setViewMode(QListView::IconMode);
    m_strip->setFlow(QListView::LeftToRight);
    m_strip->setWrapping(false);
    m_strip->setMovement(QListView::Static);
    m_strip->setIconSize(kThumbnail);
    m_strip->setGridSize(kStripCell);
    m_strip->setTextElideMode(Qt::ElideRight);
    m_strip->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_strip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strip->setGeometry(2, 281, 533, 89);
    m_strip->setFocusPolicy(Qt::NoFocus);

    m_progress->setGeometry(300, 6, 100, 18);
    m_progress->setTextVisible(false);

    connect(m_strip, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            showTurn(row);
    });
    connect(m_save, &QPushButton::clicked, this, [this] { saveAlbum(); });
    connect(m_replayButton, &QPushButton::clicked, this, &AlbumPanel::replay);
    connect(m_export, &QPushButton::clicked, this, &AlbumPanel::exportTimeLapse);
    connect(m_stop, &QPushButton::clicked, this, &AlbumPanel::stopExport);
    connect(m_exporter, &TimeLapseExport::progress, this, [this](int done, int total) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
    });
    connect(m_exporter, &TimeLapseExport::finished, this,
            [this](const QString& path, const std::optional<QString>& error, bool stopped) {
                m_progress->hide();
                m_stop->hide();
                m_export->setEnabled(true);
                if (stopped)
                    return;
                if (error)
                    return Q_EMIT failed(*error);
                m_chat.addLine(QStringLiteral("Time-lapse saved: ") +
                                   QDir::toNativeSeparators(path),
                               kNoticeColour);
                Q_EMIT exported(path);
            });
    m_replay.setInterval(kReplayStepMs);
    connect(&m_replay, &QTimer::timeout, this, &AlbumPanel::replayStep);
    hide();
}

AlbumPanel::~AlbumPanel() = default;

bool AlbumPanel::exporting() const
{
    return m_exporter->running();
}

void AlbumPanel::hide()
{
    for (QWidget* w : widgets())
        w->hide();
}

std::array<QWidget*, 7> AlbumPanel::widgets() const
{
    return {m_ranking, m_strip, m_save, m_replayButton, m_export, m_progress, m_stop};
}

void AlbumPanel::startGame()
{
    startTurn();
    m_album.clear();
}

void AlbumPanel::startTurn()
{
    if (m_replay.isActive())
        m_replay.stop();
    m_exporter->stop();
    hide();
}

void AlbumPanel::keepTurn(const QString& phrase, const QString& drawer, const QString& solver,
                          BoardLog log)
{
    m_album.keep(m_board.picture(), phrase, drawer, solver, std::move(log));
}

void AlbumPanel::fillRanking()
{
    struct Place {
        QString name;
        qint32 score;
    };
    std::vector<Place> places;
    for (int slot = 1; slot <= seats::kRows; ++slot)
        if (m_roster.taken(slot))
            places.push_back({m_roster.rowName(slot), m_roster.score(slot)});
    std::stable_sort(places.begin(), places.end(),
                     [](const Place& a, const Place& b) { return a.score > b.score; });
    QStringList lines{QStringLiteral("Final ranking")};
    for (size_t i = 0; i < places.size(); ++i)
        lines.append(
            QStringLiteral("%1. %2  %3").arg(i + 1).arg(places[i].name).arg(places[i].score));
    m_ranking->setText(lines.join(QLatin1Char('\n')));
}

void AlbumPanel::fillStrip()
{
    const QSignalBlocker quiet(m_strip);
    m_strip->clear();
    for (const AlbumTurn& turn : m_album.turns()) {
        const QPixmap thumbnail = QPixmap::fromImage(
            turn.picture().scaled(kThumbnail, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        // Item texts are shown as plain text.
        m_strip->addItem(new QListWidgetItem(QIcon(thumbnail), turn.phrase));
    }
    m_chosen = -1;
}

void AlbumPanel::showGameEnd()
{
    fillRanking();
    fillStrip();
    m_ranking->show();
    m_ranking->raise();
    const bool kept = !m_album.empty();
    // The strip and its buttons; the progress bar and Stop come with an export.
    for (QWidget* w : std::initializer_list<QWidget*>{m_strip, m_save, m_replayButton, m_export}) {
        w->setVisible(kept);
        w->raise();
    }
    if (kept && m_saveEvery)
        saveAlbum();
}

const AlbumTurn* AlbumPanel::chosen() const
{
    const auto& turns = m_album.turns();
    if (turns.empty())
        return nullptr;
    if (m_chosen < 0 || static_cast<size_t>(m_chosen) >= turns.size())
        return &turns.back();
    return &turns[static_cast<size_t>(m_chosen)];
}

void AlbumPanel::showTurn(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_album.turns().size())
        return;
    if (m_replay.isActive())
        m_replay.stop();
    m_chosen = index;
    m_board.restore(m_album.turns()[static_cast<size_t>(index)].picture());
    Q_EMIT pictureShown();
}

QString AlbumPanel::snapshotsFolder(QString* error) const
{
    const QString folder = m_services.snapshots ? m_services.snapshots->folder() : QString();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        *error = QStringLiteral("Unable to create the folder %1 for the album")
                     .arg(QDir::toNativeSeparators(folder));
        return {};
    }
    return folder;
}

std::optional<QString> AlbumPanel::saveAlbum()
{
    if (m_album.empty())
        return std::nullopt;
    QString error;
    const QString folder = snapshotsFolder(&error);
    if (folder.isEmpty()) {
        Q_EMIT failed(error);
        return error;
    }
    std::vector<media::SheetEntry> entries;
    std::vector<QImage> pictures;
    for (const AlbumTurn& turn : m_album.turns()) {
        pictures.push_back(turn.picture());
        entries.push_back({pictures.back(), turn.caption()});
    }
    const QString name = QStringLiteral("Album ") + stamp();
    const QImage sheet = media::composeContactSheet(
        QStringLiteral("Quillon, ") +
            QDateTime::currentDateTime().toString(QStringLiteral("d MMMM yyyy")),
        entries);
    const media::AlbumWriteResult result = media::writeAlbumFolder(folder, name, sheet, pictures);
    if (result.error) {
        Q_EMIT failed(*result.error);
        return result.error;
    }
    m_chat.addLine(QStringLiteral("Album saved: ") + QDir::toNativeSeparators(result.folder),
                   kNoticeColour);
    Q_EMIT saved(result.folder);
    return std::nullopt;
}

void AlbumPanel::replay()
{
    const AlbumTurn* turn = chosen();
    if (!turn)
        return;
    Q_EMIT pictureShown();
    m_beforeReplay = turn->picture();
    m_replayLog = std::make_unique<BoardLog>(turn->log);
    m_replaySteps = std::make_unique<TimeLapse>(*m_replayLog, kReplaySteps);
    m_board.wipe();
    m_replay.start();
}

void AlbumPanel::replayStep()
{
    if (!m_replaySteps || !m_replaySteps->paintNext(m_board))
        endReplay();
}

void AlbumPanel::endReplay()
{
    m_replay.stop();
    // The turn as it was revealed, whatever the log could hold.
    m_board.restore(m_beforeReplay);
    m_replaySteps.reset();
    m_replayLog.reset();
}

void AlbumPanel::exportTimeLapse()
{
    const AlbumTurn* turn = chosen();
    if (!turn || m_exporter->running())
        return;
    QString error;
    const QString folder = snapshotsFolder(&error);
    if (folder.isEmpty())
        return Q_EMIT failed(error);
    const QString path = QDir(folder).filePath(
        QStringLiteral("Time-lapse %1 turn %2.webp").arg(stamp()).arg(turn->number));
    m_progress->setRange(0, TimeLapseExport::kFrames);
    m_progress->setValue(0);
    m_progress->show();
    m_stop->show();
    m_export->setEnabled(false);
    m_progress->raise();
    m_stop->raise();
    m_exporter->start(*turn, path);
}

void AlbumPanel::stopExport()
{
    m_exporter->stop();
}

} // namespace client
