#include "client/fillplan.h"

#include "client/strokelines.h"
#include "ui/colours.h"

#include <algorithm>
#include <cstring>

namespace client {

namespace {

// One run of the area: the pixels x = left..right of row y, with nothing of the area just
// beyond either end.
struct Run {
    int y;
    int left;
    int right;
};

// For every pixel of a row, 1 when it is near enough the seed's colour to be filled too.
// Branch-free, and with everything it reads in registers (a byte written may be any
// variable as far as the compiler knows, so nothing is read through a reference).
void tellRow(const QRgb* pixels, quint8* row, int width, QRgb seed)
{
    const int r = qRed(seed);
    const int g = qGreen(seed);
    const int b = qBlue(seed);
    // 1 or 0, so the three channels combine without a branch.
    const auto close = [](int x, int y) -> unsigned {
        return static_cast<unsigned>(x - y + kFillTolerance) <= 2u * kFillTolerance ? 1u : 0u;
    };
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        row[x] = static_cast<quint8>(close(qRed(p), r) & close(qGreen(p), g) & close(qBlue(p), b));
    }
}

// The area around the seed as its runs, in no particular order, found a run at a time: a
// run is a whole stretch of near pixels, so it is in the area all at once or not at all,
// and the runs that touch it above and below are found from it. `exact` tells whether
// every pixel of it has the colour `rgb` already.
std::vector<Run> areaRuns(const QImage& image, QPoint seed, QRgb rgb, bool& exact)
{
    const int w = image.width();
    const int h = image.height();
    const QRgb seedColour = image.pixel(seed);
    const auto pixelsOf = [&](int y) {
        return reinterpret_cast<const QRgb*>(image.constScanLine(y));
    };
    // Per pixel 1 while it is near the seed's colour and not in the area yet; a row is told
    // when the area first reaches it.
    std::vector<quint8> open(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<bool> told(static_cast<size_t>(h), false);
    const auto openRow = [&](int y) {
        quint8* row = open.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        if (!told[static_cast<size_t>(y)]) {
            told[static_cast<size_t>(y)] = true;
            tellRow(pixelsOf(y), row, w, seedColour);
        }
        return row;
    };
    std::vector<Run> runs;
    std::vector<QPoint> pending{seed};
    exact = true;
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        quint8* row = openRow(p.y());
        if (row[p.x()] == 0)
            continue;
        int left = p.x();
        int right = p.x();
        while (left > 0 && row[left - 1] != 0)
            --left;
        while (right < w - 1 && row[right + 1] != 0)
            ++right;
        std::fill(row + left, row + right + 1, quint8{0});
        if (exact) {
            const QRgb* pixels = pixelsOf(p.y());
            for (int x = left; x <= right && exact; ++x)
                exact = (pixels[x] & 0xFFFFFFu) == rgb;
        }
        runs.push_back({p.y(), left, right});
        // Every stretch of open pixels just above and below: one pending point each.
        for (const int y : {p.y() - 1, p.y() + 1}) {
            if (y < 0 || y >= h)
                continue;
            const quint8* next = openRow(y);
            const quint8* end = next + right + 1;
            const quint8* at = next + left;
            while (at < end) {
                at = static_cast<const quint8*>(std::memchr(at, 1, static_cast<size_t>(end - at)));
                if (at == nullptr)
                    break;
                pending.push_back({static_cast<int>(at - next), y});
                while (at < end && *at != 0)
                    ++at;
            }
        }
    }
    return runs;
}

// The points of a path along `run`, entered at `from` (already in the path), that covers
// the whole run and ends at a column of [exitLow, exitHigh]; the path ends at whichever
// end comes last, or, when that is outside the exit columns, at the nearest exit column.
// Goes first to the end that leaves fewer points.
int walkRun(const Run& run, int from, int exitLow, int exitHigh, QList<QPoint>& path)
{
    const auto points = [&](int first, int second, int exit) {
        return (first != from) + (second != first) + (exit != second);
    };
    const int viaLeft = points(run.left, run.right, exitHigh);
    const int viaRight = points(run.right, run.left, exitLow);
    const bool leftFirst = viaLeft <= viaRight;
    const int first = leftFirst ? run.left : run.right;
    const int second = leftFirst ? run.right : run.left;
    const int exit = leftFirst ? exitHigh : exitLow;
    int at = from;
    for (const int x : {first, second, exit}) {
        if (x != at)
            path.append({x, run.y});
        at = x;
    }
    return at;
}

// Rows top to bottom, runs of a row left to right: a count of every row's runs places them
// in row order in one pass, and then only each row's few runs are sorted.
void sortByRow(std::vector<Run>& runs, int height)
{
    std::vector<size_t> rowStart(static_cast<size_t>(height) + 1, 0);
    for (const Run& r : runs)
        ++rowStart[static_cast<size_t>(r.y) + 1];
    for (size_t y = 1; y < rowStart.size(); ++y)
        rowStart[y] += rowStart[y - 1];
    std::vector<Run> sorted(runs.size());
    std::vector<size_t> next(rowStart.begin(), rowStart.end() - 1);
    for (const Run& r : runs)
        sorted[next[static_cast<size_t>(r.y)]++] = r;
    for (size_t y = 0; y + 1 < rowStart.size(); ++y)
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(rowStart[y]),
                  sorted.begin() + static_cast<std::ptrdiff_t>(rowStart[y + 1]),
                  [](const Run& a, const Run& b) { return a.left < b.left; });
    runs = std::move(sorted);
}

} // namespace

std::optional<std::vector<Stroke>> planFill(const QImage& board, QPoint seed,
                                            protocol::ColourValue colour, int maxLines)
{
    if (!board.rect().contains(seed))
        return std::nullopt;
    const QImage image =
        board.format() == QImage::Format_RGB32 || board.format() == QImage::Format_ARGB32
            ? board
            : board.convertToFormat(QImage::Format_RGB32);
    const QRgb rgb = ui::toQColor(colour).rgb() & 0xFFFFFFu;
    bool exact = false;
    std::vector<Run> runs = areaRuns(image, seed, rgb, exact);
    if (exact)
        return std::nullopt;
    sortByRow(runs, image.height());

    // Which run each run's stroke steps down into: as many steps as there can be, so as few
    // pen-downs as there can be. Runs of one row do not overlap and come left to right, so
    // between two rows the pairs never cross, and matching the leftmost overlapping pair
    // each time (else passing over the run that ends first) makes the most pairs.
    const size_t n = runs.size();
    std::vector<int> below(n, -1);
    std::vector<bool> hasAbove(n, false);
    size_t rowStart = 0;
    while (rowStart < n) {
        size_t rowEnd = rowStart;
        while (rowEnd < n && runs[rowEnd].y == runs[rowStart].y)
            ++rowEnd;
        size_t nextEnd = rowEnd;
        while (nextEnd < n && runs[nextEnd].y == runs[rowStart].y + 1)
            ++nextEnd;
        for (size_t a = rowStart, b = rowEnd; a < rowEnd && b < nextEnd;) {
            if (runs[a].right < runs[b].left) {
                ++a;
            } else if (runs[b].right < runs[a].left) {
                ++b;
            } else {
                below[a] = static_cast<int>(b);
                hasAbove[b] = true;
                ++a;
                ++b;
            }
        }
        rowStart = rowEnd;
    }

    // Every run without one above starts a stroke of at least one line.
    if (std::count(hasAbove.begin(), hasAbove.end(), false) > maxLines)
        return std::nullopt;

    std::vector<Stroke> strokes;
    qsizetype lines = 0;
    for (size_t start = 0; start < n; ++start) {
        if (hasAbove[start])
            continue; // a stroke from above covers it
        Stroke stroke{colour, 1, {}};
        size_t at = start;
        bool penDown = true;
        int x = 0;
        while (true) {
            const Run& run = runs[at];
            const int next = below[at];
            const int exitLow =
                next < 0 ? run.left : std::max(run.left, runs[static_cast<size_t>(next)].left);
            const int exitHigh =
                next < 0 ? run.right : std::min(run.right, runs[static_cast<size_t>(next)].right);
            if (penDown) {
                // Starting at an end of the run saves a point; the one that leads to the exit
                // without walking back.
                const bool fromLeft = exitHigh == run.right || exitLow != run.left;
                x = fromLeft ? run.left : run.right;
                stroke.points.append({x, run.y});
                penDown = false;
            }
            x = walkRun(run, x, exitLow, exitHigh, stroke.points);
            if (next < 0)
                break;
            at = static_cast<size_t>(next);
            stroke.points.append({x, runs[at].y});
        }
        lines += strokeLineCount(stroke.points.size());
        if (lines > maxLines)
            return std::nullopt;
        strokes.push_back(std::move(stroke));
    }
    return strokes;
}

} // namespace client
