#include "host/phrase.h"

#include <gtest/gtest.h>

using namespace host::phrase;

TEST(PhraseMask, HasAGroupPerPieceAndEndsInABlank)
{
    EXPECT_EQ(mask("bacon and eggs"), "_____ ___ ____ ");
    EXPECT_EQ(mask("A Bad egg "), "_ ___ ___  "); // the trailing blank plays as an empty piece
    EXPECT_EQ(mask("Mr  Bean"), "__  ____ ");
    EXPECT_EQ(mask("Abbot And Costello Show\t"), "_____ ___ ________ _____ ");
    const QByteArray longRun = "baker\x92s dozen" + QByteArray(63, ' ');
    EXPECT_EQ(mask(longRun).size(), longRun.size() + 1);
    EXPECT_EQ(pieces(longRun).size(), 65);
}

TEST(PhraseMask, UpperCaseTouchesOnlyTheLettersAToZ)
{
    EXPECT_EQ(upperLetters("it's 60 minutes\x92\xe9"), "IT'S 60 MINUTES\x92\xe9");
}

TEST(DuplicateTest, RefusesPhrasesWithAWordInsideALaterOne)
{
    for (const char* refused : {"cry like a baby", "bouncing a ball", "a close shave",
                                "candle in the wind", "pie a la mode", "New York New York"}) {
        EXPECT_TRUE(isRefused(refused)) << refused;
    }
    for (const char* kept : {"A Bad egg ", "bacon and eggs", "Mr  Bean", "A barking dog"}) {
        EXPECT_FALSE(isRefused(kept)) << kept;
    }
}

TEST(NearMatch, EndingsOneWrongLetterAndExtraLettersAreClose)
{
    EXPECT_TRUE(isClose("EGG", "eggs"));
    EXPECT_TRUE(isClose("BAK", "baked"));
    EXPECT_TRUE(isClose("SAIL", "sailing"));
    EXPECT_TRUE(isClose("EGGZ", "eggs"));
    EXPECT_TRUE(isClose("BACO", "bacon"));   // lacks only the last letter
    EXPECT_TRUE(isClose("BACONS", "bacon")); // letters beyond the word are not looked at
    EXPECT_FALSE(isClose("BCON", "bacon"));  // every letter after the gap shifts
    EXPECT_FALSE(isClose("EGS", "eggs"));
    EXPECT_TRUE(isClose("EGGS", "eggs")); // a whole word matched elsewhere is close too
}

TEST(WordLocation, PrefersWholeWordsAndChecksBoundaries)
{
    const QByteArray p = "ANT PLANT ANTS";
    EXPECT_EQ(locate(p, "ANT"), 0);   // "ANT " at the start
    EXPECT_EQ(locate(p, "ANTS"), 10); // " ANTS" at the end
    EXPECT_EQ(locate(p, "LAN"), 5);   // only inside a word
    EXPECT_FALSE(isWholeWord(p, 5, 3));
    EXPECT_TRUE(isWholeWord(p, 4, 5));
    EXPECT_EQ(locate(p, "ZZZ"), -1);
    // The same letters earlier, at the end or the start of a longer word, hide nothing.
    EXPECT_EQ(locate("ROLIE POLIE OLIE", "OLIE"), 12);
    EXPECT_EQ(locate("X ANTS ANT", "ANT"), 7);
}
