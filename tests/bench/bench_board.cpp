// What drawing costs a window:
//  - the heaviest strokes a host can send: one CMD_draw of the longest a message may be,
//    its points zig-zagging between far corners outside the board, at the widest pen (the
//    board bounds widths to 100 and coordinates to +-10000; unbounded, one such line at width
//    8,000,000 took minutes);
//  - an honest batch: a CMD_draw of 101 short segments at width 3, again and as the first
//    of a stroke (target: under 0.5 ms);
//  - the drawer's mouse: from a movement to the line in the backing picture (target: p99
//    under 2 ms);
//  - a newcomer's replay of a 2,000-line drawing record through the window's drain timer,
//    one line a tick (target: within 1.25 times the 2 s floor).
#include "client/drawingboard.h"
#include "client/tchat.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "support/eventloop.h"

#include "ui_tchat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace {

QList<QPoint> hostilePoints(int extent)
{
    QByteArray payload = "+";
    const QByteArray e = QByteArray::number(extent);
    for (int i = 0; payload.size() < protocol::kMaxEntryLength - 40; ++i)
        payload += (i % 2 == 0 ? "-" + e + ",-" + e : e + ',' + e) + '+';
    return protocol::FieldReader(payload).restPointList();
}

// A stroke as a hand draws it: short steps along a curve.
QList<QPoint> handPoints(int count, int from = 0)
{
    QList<QPoint> points;
    for (int i = from; i < from + count; ++i)
        points.append({40 + (i * 3) % 450, 60 + static_cast<int>(120 * std::sin(i / 40.0)) + 120});
    return points;
}

void BM_HostileStroke(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int extent = static_cast<int>(state.range(1));
    const QList<QPoint> points = hostilePoints(extent);
    client::DrawingBoard board;
    for (auto _ : state) {
        board.penDown(0, width, {-extent, -extent});
        board.strokeTo(0, width, points);
    }
    state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK(BM_HostileStroke)
    ->Args({3, 500})
    ->Args({100, 10000})
    ->Args({8000000, 2000000000})
    ->Unit(benchmark::kMillisecond);

void BM_HonestBatchOf101Points(benchmark::State& state)
{
    client::DrawingBoard board;
    const QList<QPoint> points = handPoints(101);
    board.penDown(0, 3, points.front());
    for (auto _ : state)
        board.strokeTo(0, 3, points);
}
BENCHMARK(BM_HonestBatchOf101Points)->Unit(benchmark::kMicrosecond);

// The same batch as the first of its stroke: a stroke paints a pixel again only where its
// coverage grows, so the batch above, repeated, paints less than it computes.
void BM_HonestBatchOf101PointsOnAFreshStroke(benchmark::State& state)
{
    client::DrawingBoard board;
    const QList<QPoint> points = handPoints(101);
    for (auto _ : state) {
        board.penDown(0, 3, points.front());
        board.strokeTo(0, 3, points);
    }
}
BENCHMARK(BM_HonestBatchOf101PointsOnAFreshStroke)->Unit(benchmark::kMicrosecond);

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

// The drawer's window: each movement is a mouse event handled at once.
void mouseToPicture()
{
    client::Services services;
    client::Tchat window(services);
    const auto host = [&](const QByteArray& m) {
        window.connection().receive(m + protocol::kTerminator);
        while (window.connection().hasQueuedMessages())
            window.connection().drainTick();
    };
    host("CMD_sendlogininfo+1");
    host("CMD_nextplayer+1+0+_____ ");
    client::DrawingBoard* board = window.ui().image_main;
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, board->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(board, &event);
    };
    std::vector<double> ms;
    QElapsedTimer clock;
    const QList<QPoint> points = handPoints(5000);
    send(QEvent::MouseButtonPress, points.front(), Qt::LeftButton);
    for (const QPoint& p : points) {
        clock.start();
        send(QEvent::MouseMove, p, Qt::LeftButton);
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    send(QEvent::MouseButtonRelease, points.back(), Qt::NoButton);
    // The movements must really have drawn: the curve crosses the board's middle row.
    int inked = 0;
    for (int x = 0; x < client::DrawingBoard::kWidth; ++x)
        inked += board->picture().pixelColor(x, 180) != QColor(Qt::white) ? 1 : 0;
    std::printf("mouse movement to backing picture, %zu movements: p50 %.3f ms  p99 %.3f ms  "
                "max %.3f ms (target p99 < 2 ms; %d pixels inked on row 180)\n",
                ms.size(), percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0), inked);
}

// A newcomer's window handed a 2,000-line record at once, drained by its own timer.
void replayOfARecord()
{
    client::Services services;
    client::Tchat window(services);
    window.connection().receive(QByteArray("CMD_sendlogininfo+3") + protocol::kTerminator);
    support::spinUntil([&] { return !window.connection().hasQueuedMessages(); });
    QByteArray record;
    for (int line = 0; line < 2000; ++line) {
        const QList<QPoint> points = handPoints(10, line * 10);
        if (line % 10 == 0) {
            record += "CMD_moveit+1+clBlack+3+" + QByteArray::number(points.front().x()) + '+' +
                      QByteArray::number(points.front().y()) + protocol::kTerminator;
            continue;
        }
        QByteArray draw = "CMD_draw+1+clBlack+3++";
        for (const QPoint& p : points)
            draw += QByteArray::number(p.x()) + ',' + QByteArray::number(p.y()) + '+';
        record += draw + protocol::kTerminator;
    }
    QElapsedTimer clock;
    clock.start();
    window.connection().receive(record);
    support::spinUntil([&] { return !window.connection().hasQueuedMessages(); }, 60000);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf("replay of a 2,000-line record: %.2f s (floor 2.00 s at a line a tick, target "
                "<= 2.50 s)\n",
                seconds);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    mouseToPicture();
    replayOfARecord();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
