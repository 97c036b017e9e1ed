// The drawer's undo and redo: what the boards must show after each, checked against a
// history that keeps every picture whole, and the memory bound's way out.
#include "client/drawinghistory.h"

#include <gtest/gtest.h>
#include <random>

using client::DrawingHistory;
using client::Stroke;

namespace {

// Strokes told apart by their colour, which the tests use as a name.
using Names = std::vector<protocol::ColourValue>;

Names names(const std::vector<Stroke>& strokes)
{
    Names n;
    for (const Stroke& s : strokes)
        n.push_back(s.colour);
    return n;
}

Stroke stroke(protocol::ColourValue name, int points)
{
    Stroke s{name, 3, {}};
    for (int i = 0; i < points; ++i)
        s.points.append({i % 533, i / 533 % 369});
    return s;
}

// A mouse stroke as the drawer's window records it: a pen-down, then batches of points.
void mouseStroke(DrawingHistory& h, protocol::ColourValue name, int batches = 2)
{
    h.beginStroke(name, 5, {1, 1});
    for (int b = 0; b < batches; ++b)
        h.extendStroke({{2 + b, 2}, {3 + b, 3}});
}

// The board of every window, kept as the caller of undo() and redo() keeps it.
struct Board {
    Names shown;
    void undo(DrawingHistory& h) { shown = names(h.undo()); }
    void redo(DrawingHistory& h)
    {
        const DrawingHistory::Redo r = h.redo();
        if (r.wipe)
            shown.clear();
        const Names added = names(r.strokes);
        shown.insert(shown.end(), added.begin(), added.end());
    }
};

} // namespace

TEST(DrawingHistory, UndoAndRedoStepThroughStrokesFillsAndWipes)
{
    DrawingHistory h;
    Board board;
    EXPECT_FALSE(h.canUndo());
    h.addWipe(); // a white board: nothing to take back
    EXPECT_FALSE(h.canUndo());

    mouseStroke(h, 1);
    h.addStrokes({stroke(2, 40), stroke(3, 7)}); // one fill
    mouseStroke(h, 4);
    EXPECT_EQ(h.visible().back().points.size(), 5); // the pen-down and both batches

    board.undo(h);
    EXPECT_EQ(board.shown, (Names{1, 2, 3}));
    board.undo(h); // the whole fill at once
    EXPECT_EQ(board.shown, (Names{1}));
    board.redo(h);
    EXPECT_EQ(board.shown, (Names{1, 2, 3}));

    h.addWipe();
    EXPECT_TRUE(h.visible().empty());
    mouseStroke(h, 5);
    board.shown = {5};
    board.undo(h);
    EXPECT_TRUE(board.shown.empty());
    board.undo(h); // the wipe: the strokes before it come back
    EXPECT_EQ(board.shown, (Names{1, 2, 3}));
    board.redo(h);
    EXPECT_TRUE(board.shown.empty());
    board.redo(h);
    EXPECT_EQ(board.shown, (Names{5}));
    EXPECT_FALSE(h.canRedo());

    // Anything new after an undo forgets what could have been redone.
    board.undo(h);
    board.undo(h);
    ASSERT_TRUE(h.canRedo());
    mouseStroke(h, 6);
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(names(h.visible()), (Names{1, 2, 3, 6}));
    board.undo(h);
    ASSERT_TRUE(h.canRedo());
    h.addStrokes({stroke(7, 1)});
    EXPECT_FALSE(h.canRedo());
    board.undo(h);
    h.addWipe();
    EXPECT_FALSE(h.canRedo());

    // A stroke is closed by an undo: its late points belong to nothing.
    mouseStroke(h, 8, 0);
    board.undo(h);
    h.extendStroke({{9, 9}});
    board.redo(h);
    EXPECT_EQ(h.visible().back().points.size(), 1);

    h.clear();
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
    EXPECT_TRUE(h.visible().empty());
}

TEST(DrawingHistory, EveryUndoAndRedoLeavesTheBoardsAsTheyWereThen)
{
    // Random strokes, fills, wipes, undos and redos against a history of whole pictures.
    std::mt19937 random(7);
    DrawingHistory h;
    Board board;
    std::vector<Names> pictures{{}}; // the picture after each step in effect
    std::vector<Names> undone;
    protocol::ColourValue next = 1;
    for (int i = 0; i < 3000; ++i) {
        const auto op = random() % 10;
        if (op < 3) {
            mouseStroke(h, next, static_cast<int>(random() % 3));
            board.shown.push_back(next);
        } else if (op < 4) {
            h.addStrokes({stroke(next, 9), stroke(next + 1, 1)});
            board.shown.push_back(next);
            board.shown.push_back(next + 1);
            ++next;
        } else if (op < 5) {
            h.addWipe();
            if (board.shown.empty()) {
                undone.clear(); // no step, but new all the same
                continue;
            }
            board.shown.clear();
        } else if (op < 8) {
            ASSERT_EQ(h.canUndo(), pictures.size() > 1);
            if (!h.canUndo())
                continue;
            board.undo(h);
            undone.push_back(pictures.back());
            pictures.pop_back();
            ASSERT_EQ(board.shown, pictures.back()) << i;
            continue;
        } else {
            ASSERT_EQ(h.canRedo(), !undone.empty());
            if (!h.canRedo())
                continue;
            board.redo(h);
            pictures.push_back(undone.back());
            undone.pop_back();
            ASSERT_EQ(board.shown, pictures.back()) << i;
            continue;
        }
        ++next;
        pictures.push_back(board.shown);
        undone.clear();
        ASSERT_FALSE(h.canRedo());
        ASSERT_EQ(names(h.visible()), board.shown) << i;
    }
    EXPECT_FALSE(h.overflowed());
}

TEST(DrawingHistory, PastItsBoundItForgetsWhatCameBeforeAWipeAndThenStopsUntilTheNext)
{
    const int big = static_cast<int>(DrawingHistory::kMaxPoints * 3 / 4);
    DrawingHistory h;
    h.addStrokes({stroke(1, big)});
    h.addWipe();
    mouseStroke(h, 2);
    h.addStrokes({stroke(3, big / 2)}); // past the bound: stroke 1 and the wipe go
    EXPECT_FALSE(h.overflowed());
    EXPECT_LE(h.points(), DrawingHistory::kMaxPoints);
    EXPECT_EQ(names(h.undo()), (Names{2}));
    EXPECT_TRUE(h.undo().empty());
    EXPECT_FALSE(h.canUndo()); // the wipe can no longer bring stroke 1 back

    // Nothing before a wipe to forget: the history stops, undo and redo are off.
    h.clear();
    h.addStrokes({stroke(4, big)});
    mouseStroke(h, 5);
    h.extendStroke(QList<QPoint>(big / 2, QPoint(8, 8)));
    EXPECT_TRUE(h.overflowed());
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(h.points(), 0);
    mouseStroke(h, 6);
    h.addStrokes({stroke(7, 10)});
    EXPECT_FALSE(h.canUndo());

    // A wipe makes the board white, which is known exactly: recording starts again.
    h.addWipe();
    EXPECT_FALSE(h.overflowed());
    EXPECT_FALSE(h.canUndo());
    mouseStroke(h, 8);
    h.addStrokes({stroke(9, 10)});
    EXPECT_EQ(names(h.undo()), (Names{8}));
    EXPECT_TRUE(h.undo().empty());
    EXPECT_FALSE(h.canUndo());
    EXPECT_EQ(names(h.redo().strokes), (Names{8}));
}
