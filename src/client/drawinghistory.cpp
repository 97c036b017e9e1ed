#include "client/drawinghistory.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace client {

namespace {

qsizetype pointsOf(const std::vector<Stroke>& strokes)
{
    qsizetype n = 0;
    for (const Stroke& s : strokes)
        n += s.points.size();
    return n;
}

} // namespace

void DrawingHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_points = 0;
    m_strokeOpen = false;
    m_overflowed = false;
}

void DrawingHistory::forgetRedo()
{
    for (size_t i = m_done; i < m_steps.size(); ++i)
        m_points -= m_steps[i].points;
    m_steps.resize(m_done);
}

void DrawingHistory::overflow()
{
    m_steps.clear();
    m_done = 0;
    m_points = 0;
    m_strokeOpen = false;
    m_overflowed = true;
}

bool DrawingHistory::roomFor(qsizetype count)
{
    if (m_overflowed)
        return false;
    if (m_points + count <= kMaxPoints)
        return true;
    // What came before the last wipe is only needed to undo that wipe.
    const auto lastWipe =
        std::find_if(m_steps.rbegin(), m_steps.rend(), [](const Step& step) { return step.wipe; });
    if (lastWipe != m_steps.rend()) {
        const auto end = lastWipe.base(); // just after the wipe
        for (auto it = m_steps.begin(); it != end; ++it)
            m_points -= it->points;
        m_done -= static_cast<size_t>(std::distance(m_steps.begin(), end));
        m_steps.erase(m_steps.begin(), end);
    }
    if (m_points + count <= kMaxPoints)
        return true;
    overflow();
    return false;
}

void DrawingHistory::beginStroke(protocol::ColourValue colour, int width, QPoint at)
{
    m_strokeOpen = false;
    forgetRedo();
    if (!roomFor(1))
        return;
    m_steps.push_back({false, {Stroke{colour, width, {at}}}, 1});
    m_done = m_steps.size();
    m_points += 1;
    m_strokeOpen = true;
}

void DrawingHistory::extendStroke(const QList<QPoint>& points)
{
    if (!m_strokeOpen || points.isEmpty())
        return;
    if (!roomFor(points.size()))
        return;
    Step& step = m_steps.back();
    step.strokes.back().points.append(points);
    step.points += points.size();
    m_points += points.size();
}

void DrawingHistory::addStrokes(std::vector<Stroke> strokes)
{
    m_strokeOpen = false;
    const qsizetype count = pointsOf(strokes);
    if (count == 0)
        return;
    forgetRedo();
    if (!roomFor(count))
        return;
    m_steps.push_back({false, std::move(strokes), count});
    m_done = m_steps.size();
    m_points += count;
}

void DrawingHistory::addWipe()
{
    m_strokeOpen = false;
    forgetRedo();
    if (m_overflowed) {
        // The board is white now: from here on every step is known exactly again.
        m_overflowed = false;
        return;
    }
    if (visible().empty())
        return;
    m_steps.push_back({true, {}, 0});
    m_done = m_steps.size();
}

std::vector<Stroke> DrawingHistory::undo()
{
    if (!canUndo())
        return {};
    m_strokeOpen = false;
    --m_done;
    return visible();
}

DrawingHistory::Redo DrawingHistory::redo()
{
    if (!canRedo())
        return {};
    m_strokeOpen = false;
    const Step& step = m_steps[m_done++];
    return {step.wipe, step.strokes};
}

std::vector<Stroke> DrawingHistory::visible() const
{
    size_t first = m_done;
    while (first > 0 && !m_steps[first - 1].wipe)
        --first;
    std::vector<Stroke> strokes;
    for (size_t i = first; i < m_done; ++i)
        strokes.insert(strokes.end(), m_steps[i].strokes.begin(), m_steps[i].strokes.end());
    return strokes;
}

} // namespace client
