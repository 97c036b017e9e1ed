#include "host/phrase.h"

#include <gtest/gtest.h>

using namespace host::phrase;

TEST(PhraseMask, HasAGroupPerPieceAndEndsInABlank)
{
    EXPECT_EQ(mask("bacon and eggs"), "_____ ___ ____ ");
    EXPECT_EQ(mask("A Bad egg "), "_ ___ ___  "); // the trailing blank plays as an empty piece
    EXPECT_EQ(mask("Mr  Bean"), "__  ____ ");
    // Digits and punctuation stand as they are: only letters are to be guessed.
    EXPECT_EQ(mask("JoJo's Circus"), "____'_ ______ ");
    EXPECT_EQ(mask("60 minutes"), "60 _______ ");
    EXPECT_EQ(mask("Spider-Man 2"), "______-___ 2 ");
    EXPECT_EQ(mask("caf\xe9 au lait"), "____ __ ____ ");
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

TEST(Uncovering, ComparesWholeWordsByLettersAndDigitsOnly)
{
    const QByteArray phrase = "JOJO'S CIRCUS";
    for (const char* guess : {"JOJOS", "JOJO'S", "JOJO\x92S"}) {
        QByteArray m = mask(phrase);
        EXPECT_TRUE(uncover(m, phrase, guess)) << guess;
        EXPECT_EQ(m, "JOJO'S ______ ") << guess;
    }
    QByteArray m = mask("BAKER\x92S DOZEN");
    EXPECT_TRUE(uncover(m, "BAKER\x92S DOZEN", "BAKER'S"));
    EXPECT_EQ(m, "BAKER\x92S _____ ");

    // Letters inside a longer word, and a guess of nothing but punctuation, uncover nothing.
    m = mask("ANT PLANT ANTS");
    EXPECT_FALSE(uncover(m, "ANT PLANT ANTS", "LAN"));
    EXPECT_FALSE(uncover(m, "ANT PLANT ANTS", "'"));
    EXPECT_TRUE(uncover(m, "ANT PLANT ANTS", "ANT"));
    EXPECT_EQ(m, "ANT _____ ____ ");
    EXPECT_EQ(key("Caf\xe9-Au"), "CAF\xc9"
                                 "AU");
}
