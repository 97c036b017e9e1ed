// Every shipped phrase fits the answer line: the mask, and the phrase once uncovered, are
// measured in the line's own font at its own width, as the window shows them.
#include "client/tchat.h"
#include "host/phrase.h"
#include "host/wordlists.h"
#include "protocol/windows1252.h"

#include "fakeservices.h"
#include "ui_tchat.h"

#include <QFontMetrics>
#include <QLabel>

#include <gtest/gtest.h>

using namespace clienttest;

namespace {
class AnswerLine : public ::testing::Test, public WindowUnderTest {};
} // namespace

TEST_F(AnswerLine, HoldsEveryShippedPhraseMaskedAndUncovered)
{
    const QLabel* line = window->ui().label_answer;
    const QFontMetrics metrics(line->font());
    const int room = line->contentsRect().width();
    const host::WordLists lists = host::WordLists::builtIn();
    int longest = 0;
    for (int n = 0; n < host::WordLists::kCategories; ++n) {
        for (int i = 0; i < lists.count(n); ++i) {
            const QByteArray& entry = lists.entry(n, i);
            for (const QByteArray& shown :
                 {host::phrase::mask(entry), host::phrase::upperLetters(entry) + ' '}) {
                const int width =
                    metrics.horizontalAdvance(protocol::fromWindows1252(shown).trimmed());
                longest = std::max(longest, width);
                EXPECT_LE(width, room) << "list " << n << ": \"" << entry.constData() << "\"";
            }
        }
    }
    RecordProperty("longest_px", longest);
    RecordProperty("room_px", room);
}
