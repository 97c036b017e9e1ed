#include "protocol/colour.h"
#include "protocol/conversion.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(ColourText, EveryNamedColourTravelsByItsIdentifier)
{
    const std::pair<const char*, ColourValue> table[] = {
        {"clBlack", rgbColour(0, 0, 0)},
        {"clMaroon", rgbColour(128, 0, 0)},
        {"clGreen", rgbColour(0, 128, 0)},
        {"clOlive", rgbColour(128, 128, 0)},
        {"clNavy", rgbColour(0, 0, 128)},
        {"clPurple", rgbColour(128, 0, 128)},
        {"clTeal", rgbColour(0, 128, 128)},
        {"clGray", rgbColour(128, 128, 128)},
        {"clSilver", rgbColour(192, 192, 192)},
        {"clRed", rgbColour(255, 0, 0)},
        {"clLime", rgbColour(0, 255, 0)},
        {"clYellow", rgbColour(255, 255, 0)},
        {"clBlue", rgbColour(0, 0, 255)},
        {"clFuchsia", rgbColour(255, 0, 255)},
        {"clAqua", rgbColour(0, 255, 255)},
        {"clWhite", rgbColour(255, 255, 255)},
        {"clNone", 0x1FFFFFFFu},
    };
    for (const auto& [name, value] : table) {
        EXPECT_EQ(colourText(value), name);
        EXPECT_EQ(parseColour(name), value) << name;
    }
    EXPECT_EQ(rgbColour(128, 0, 0), 0x000080u); // red sits in the low byte
}

TEST(ColourText, SystemColoursAreNumberedFrom80000000InOrder)
{
    EXPECT_EQ(colourText(0x80000000u), "clScrollBar");
    EXPECT_EQ(colourText(0x80000005u), "clWindow");
    EXPECT_EQ(colourText(0x8000000Fu), "clBtnFace");
    EXPECT_EQ(colourText(0x80000018u), "clInfoBk");
    EXPECT_EQ(parseColour("clInactiveCaptionText"), 0x80000013u);
    EXPECT_EQ(parseColour("cl3DDkShadow"), 0x80000015u);
    // Past the 25 system colours there is no name.
    EXPECT_EQ(colourText(0x80000019u), "$80000019");
}

TEST(ColourText, OtherColoursTravelAsDollarAndEightUpperCaseHexDigits)
{
    EXPECT_EQ(colourText(rgbColour(0x20, 0x40, 0x80)), "$00804020");
    EXPECT_EQ(colourText(rgbColour(1, 2, 3)), "$00030201");
    EXPECT_EQ(colourText(0x1FFFFFFEu), "$1FFFFFFE");
    EXPECT_EQ(parseColour("$00804020"), rgbColour(0x20, 0x40, 0x80));
    EXPECT_EQ(parseColour("$1FFFFFFF"), kNone);
}

TEST(ColourText, ReadingAcceptsAnyLetterCaseAndPlainDecimal)
{
    EXPECT_EQ(parseColour("CLMAROON"), rgbColour(128, 0, 0));
    EXPECT_EQ(parseColour("255"), rgbColour(255, 0, 0));
    EXPECT_EQ(parseColour("-2147483643"), 0x80000005u);
    EXPECT_FALSE(parseColour("maroon"));
    EXPECT_FALSE(parseColour(""));
    EXPECT_THROW(toColour("clMauve"), ConversionError);
}

TEST(TextWithColour, CutsAtTheFirstBarAndFallsBackToWhite)
{
    const TextColour plain = splitTextColour("Ann chats: hi|clMaroon");
    EXPECT_EQ(plain.text, "Ann chats: hi");
    EXPECT_EQ(plain.colour, rgbColour(128, 0, 0));

    const TextColour twoBars = splitTextColour("a|b|clRed");
    EXPECT_EQ(twoBars.text, "a");
    EXPECT_EQ(twoBars.colour, kWhite); // "b|clRed" is no colour

    const TextColour noBar = splitTextColour("no colour here");
    EXPECT_EQ(noBar.text, "no colour here");
    EXPECT_EQ(noBar.colour, kWhite);

    EXPECT_EQ(joinTextColour("hi", rgbColour(0, 0, 128)), "hi|clNavy");
}
