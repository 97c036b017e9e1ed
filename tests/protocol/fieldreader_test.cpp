#include "protocol/conversion.h"
#include "protocol/fieldreader.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(FieldReading, TakeDropAndRestWorkLeftToRight)
{
    FieldReader r("2+Ann+x+y");
    EXPECT_EQ(r.take(), "2");
    EXPECT_EQ(r.take(), "2"); // taking does not consume
    r.drop();
    EXPECT_EQ(r.next(), "Ann");
    EXPECT_EQ(r.rest(), "x+y"); // free text keeps its "+"
}

TEST(FieldReading, APayloadWithoutPlusTakesEmptyAndDropsNothing)
{
    FieldReader r("lonely");
    EXPECT_EQ(r.take(), "");
    r.drop();
    EXPECT_EQ(r.rest(), "lonely");
}

TEST(FieldReading, ScoreListsEndAtTheirSentinel)
{
    FieldReader r("20+120+1+2+3+4+5+6+7+8+9+10");
    EXPECT_EQ(r.nextInt(), 20);
    EXPECT_EQ(r.nextInt(), 120);
    EXPECT_EQ(r.restIntegerList(), (QList<qint32>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(r.rest(), "");

    FieldReader empty("");
    EXPECT_THROW(empty.restIntegerList(), ConversionError); // one empty field, not a number
}

TEST(FieldReading, PointListsSkipEmptyItems)
{
    FieldReader r("+10,20++11,22+");
    EXPECT_EQ(r.restPointList(), (QList<QPoint>{{10, 20}, {11, 22}}));
    FieldReader none("+");
    EXPECT_TRUE(none.restPointList().isEmpty());
}

TEST(FieldReading, APointListWithoutClosingPlusEndsInsteadOfLoopingForever)
{
    FieldReader r("10,20+11,22");
    EXPECT_EQ(r.restPointList(), (QList<QPoint>{{10, 20}}));
}

TEST(FieldReading, BadPointsRaiseTheConversionError)
{
    FieldReader r("10;20+");
    EXPECT_THROW(r.restPointList(), ConversionError);
    EXPECT_THROW(toPoint("x,1"), ConversionError);
    EXPECT_EQ(toPoint("-3,533"), QPoint(-3, 533));
}

TEST(FieldReading, APointListReadAsFarAsItIsGoodStopsAtItsFirstBadPoint)
{
    for (const char* payload : {"+10,20++11,22+x,1+12,24+", "+10,20++11,22+12,+13,26+",
                                "+10,20++11,22+12+13,26+", "+10,20++11,22+1,2,3+13,26+"}) {
        FieldReader r(payload);
        QByteArray bad;
        EXPECT_EQ(r.restPointsBeforeBad(bad), (QList<QPoint>{{10, 20}, {11, 22}})) << payload;
        EXPECT_FALSE(bad.isNull()) << payload;
        EXPECT_EQ(r.rest(), "") << payload;
    }
    FieldReader good("+10,20+11,22");
    QByteArray bad;
    EXPECT_EQ(good.restPointsBeforeBad(bad), (QList<QPoint>{{10, 20}}));
    EXPECT_TRUE(bad.isNull());
    FieldReader strict("+10,20+x,1+");
    EXPECT_THROW(strict.restPointList(), ConversionError);
}

TEST(IntegerConversion, TheErrorNamesTheFieldInTheUsualWords)
{
    try {
        toInt("abc");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
        EXPECT_EQ(e.field(), "abc");
    }
    try {
        toInt("");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
}

TEST(IntegerConversion, AcceptsWhatPeersWriteAndRefusesTheRest)
{
    EXPECT_EQ(toInt("0"), 0);
    EXPECT_EQ(toInt("-2"), -2);
    EXPECT_EQ(toInt("2147483647"), 2147483647);
    EXPECT_EQ(toInt("-2147483648"), std::numeric_limits<qint32>::min());
    EXPECT_EQ(toInt("$FF"), 255);
    EXPECT_EQ(toInt("  7"), 7);
    EXPECT_EQ(toInt("$80000005"), static_cast<qint32>(0x80000005u));

    for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999", "1.5", "7 ", "1e3",
                            "--1", "$", "-", "0x", "$123456789", "12a"}) {
        EXPECT_THROW(toInt(bad), ConversionError) << bad;
    }
}
