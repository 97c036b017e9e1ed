#pragma once

#include "client/stroke.h"
#include "protocol/colour.h"

#include <QList>
#include <QPoint>

#include <vector>

namespace client {

// What the drawer has drawn this turn, as undo steps. A step is a group of strokes (one
// mouse stroke, or all strokes of one fill) or a wipe (the trash button). Boards keep no
// layers, so an undo is a wipe of every board and a resend of what must stay: undo() gives
// those strokes. A redo only adds on top: a stroke step's strokes, or a wipe.
//
// Memory is bounded: the steps kept hold at most kMaxPoints points. When new points would
// pass that, the steps up to and including the last wipe still in effect are forgotten
// first (the board was white after it, so everything later stays exact; that wipe is just
// no longer undone). When that is not enough, the history forgets everything and stops
// recording (overflowed()): undo and redo are off, since the board can no longer be
// rebuilt exactly. The next wipe makes the board white again, a state known exactly, and
// recording starts over from there; a new turn does too.
class DrawingHistory {
public:
    // 1.6 MB of points. Two minutes of dragging a mouse that reports a thousand movements a
    // second is 120,000 points; a fill is at most 400 lines of 101 points.
    static constexpr qsizetype kMaxPoints = 200000;

    // A new turn: nothing drawn, nothing to undo.
    void clear();

    // A mouse stroke starts, and goes on with more points.
    void beginStroke(protocol::ColourValue colour, int width, QPoint at);
    void extendStroke(const QList<QPoint>& points);
    // A fill: all its strokes are one step.
    void addStrokes(std::vector<Stroke> strokes);
    // The trash button. A wipe of a board that shows nothing of this history is no step.
    void addWipe();

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }

    // Takes back the last step and returns every stroke the board shows after it, oldest
    // first: the caller wipes all boards and sends them again. Nothing when !canUndo().
    std::vector<Stroke> undo();

    struct Redo {
        bool wipe = false;
        std::vector<Stroke> strokes; // to draw on top of the board as it is
    };
    // Puts back the step undone last. Nothing when !canRedo().
    Redo redo();

    // Every stroke the board shows, oldest first (those after the last wipe in effect);
    // nothing while overflowed(), when the history no longer knows.
    std::vector<Stroke> visible() const;

    // Whether the history has stopped recording because this turn went past kMaxPoints
    // since the last wipe.
    bool overflowed() const { return m_overflowed; }
    // Points the steps hold, undone ones included.
    qsizetype points() const { return m_points; }

private:
    struct Step {
        bool wipe = false;
        std::vector<Stroke> strokes;
        qsizetype points = 0;
    };

    // Starts a new step: the undone steps are forgotten.
    void forgetRedo();
    // Makes room for `count` more points; false when the history overflowed instead.
    bool roomFor(qsizetype count);
    void overflow();

    std::vector<Step> m_steps;
    size_t m_done = 0; // steps in effect: m_steps[0, m_done); the rest may be redone
    qsizetype m_points = 0;
    bool m_strokeOpen = false; // the last step is a mouse stroke still going on
    bool m_overflowed = false;
};

} // namespace client
