#include "client/strokelines.h"

#include "client/boardpicture.h"

namespace client {

qsizetype strokeLineCount(qsizetype points)
{
    if (points <= 0)
        return 0;
    return 1 + (points - 1 + kPointsPerLine - 1) / kPointsPerLine;
}

std::vector<StrokeLine> strokeLines(const std::vector<Stroke>& strokes)
{
    std::vector<StrokeLine> lines;
    qsizetype count = 0;
    for (const Stroke& s : strokes)
        count += strokeLineCount(s.points.size());
    lines.reserve(static_cast<size_t>(count));
    for (const Stroke& s : strokes) {
        if (s.points.isEmpty())
            continue;
        lines.push_back({true, s.colour, s.width, {s.points.front()}});
        for (qsizetype i = 1; i < s.points.size(); i += kPointsPerLine)
            lines.push_back({false, s.colour, s.width, s.points.mid(i, kPointsPerLine)});
    }
    return lines;
}

void paintStrokes(BoardPicture& picture, const std::vector<Stroke>& strokes)
{
    // Through the very lines that go out: a receiving board's pixels come from them.
    for (const StrokeLine& line : strokeLines(strokes)) {
        if (line.penDown)
            picture.penDown(line.colour, line.width, line.points.front());
        else
            picture.strokeTo(line.colour, line.width, line.points);
    }
}

} // namespace client
