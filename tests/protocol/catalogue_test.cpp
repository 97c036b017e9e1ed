#include "protocol/catalogue.h"
#include "protocol/conversion.h"
#include "protocol/message.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

QList<QByteArray> names(Direction d)
{
    QList<QByteArray> out;
    for (const MessageSpec& s : catalogue(d))
        out.append(s.name);
    return out;
}

QByteArray payloadOf(const QByteArray& message)
{
    return splitEntry(message.chopped(1)).payload;
}

// A plausible value of each kind, used to build every message of the table.
FieldValue sample(FieldKind kind, int i)
{
    switch (kind) {
    case FieldKind::Integer:
        return qint32(i * 7 - 3);
    case FieldKind::Text:
        return QByteArray("text ") + QByteArray::number(i);
    case FieldKind::Boolean:
        return i % 2 == 0;
    case FieldKind::Colour:
        return rgbColour(i, 128, 0);
    case FieldKind::TextColour:
        return TextColour{"line " + QByteArray::number(i), rgbColour(0, 0, 128)};
    case FieldKind::Empty:
        return QByteArray();
    case FieldKind::PointList:
        return QList<QPoint>{{i, 2}, {532, 368}, {-1, 0}};
    case FieldKind::IntegerList:
        return QList<qint32>{1, 0, -1, 20, 5, 6, 7, 8, 9, 10};
    }
    return {};
}

} // namespace

TEST(Catalogue, HostHandlesThirteenNamesInItsOrderOfComparison)
{
    EXPECT_EQ(
        names(Direction::ToHost),
        (QList<QByteArray>{"CMD_logininfo", "CMD_kickhim", "CMD_chat", "CMD_action",
                           "CMD_startgame", "CMD_draw", "CMD_clearmain", "CMD_answer", "CMD_moveit",
                           "CMD_pickcatagory", "CMD_pass", "CMD_justwatch", "CMD_playasound"}));
}

TEST(Catalogue, HostSendsTwentyNineNamesOfWhichPlayersHandleTwentyEight)
{
    const QList<QByteArray> toPlayer = names(Direction::ToPlayer);
    ASSERT_EQ(toPlayer.size(), 29);
    EXPECT_EQ(toPlayer.mid(0, 28), (QList<QByteArray>{"CMD_sendlogininfo",
                                                      "CMD_chat",
                                                      "CMD_action",
                                                      "CMD_newplayerinfo",
                                                      "CMD_existingplayers",
                                                      "CMD_playerdisconnected",
                                                      "CMD_startgame",
                                                      "CMD_nextplayer",
                                                      "CMD_winner",
                                                      "CMD_full",
                                                      "CMD_draw",
                                                      "CMD_moveit",
                                                      "CMD_clearmain",
                                                      "CMD_correctanswer",
                                                      "CMD_updateanswer",
                                                      "CMD_givedraweranswer",
                                                      "CMD_guessed",
                                                      "CMD_pickcatagory",
                                                      "CMD_myguessed",
                                                      "CMD_passed",
                                                      "CMD_refreshplayerlist",
                                                      "CMD_havewrongversion",
                                                      "CMD_wrongversion",
                                                      "CMD_justwatching",
                                                      "CMD_teamscore",
                                                      "CMD_gamestats",
                                                      "CMD_veryclose",
                                                      "CMD_playasound"}));
    EXPECT_EQ(toPlayer.last(), "CMD_updatetime");
    EXPECT_STREQ(messageSpec(MessageId::UpdateTime).handler, "updatetime");
}

TEST(Catalogue, EveryMessageReadsBackWhatWasBuilt)
{
    for (const MessageSpec& def : catalogue()) {
        Fields fields;
        for (size_t i = 0; i < def.fields.size(); ++i)
            fields.push_back(sample(def.fields[i].kind, static_cast<int>(i) + 1));
        const QByteArray message = buildMessage(def.id, fields);
        ASSERT_EQ(message.back(), kTerminator);
        ASSERT_EQ(message.count(kTerminator), 1) << def.name;
        const Entry entry = splitEntry(message.chopped(1));
        EXPECT_EQ(entry.name, def.name);
        EXPECT_EQ(findMessage(def.direction, entry.name), &def);
        const Fields back = readMessage(def.id, entry.payload);
        EXPECT_EQ(back, fields) << def.name << ": " << message.constData();
    }
}

TEST(Catalogue, BuildersRefuseValuesThatDoNotFitTheMessage)
{
    EXPECT_THROW(buildMessage(MessageId::Pass, {}), std::invalid_argument);
    EXPECT_THROW(buildMessage(MessageId::Pass, {QByteArray("1")}), std::invalid_argument);
}

TEST(CatalogueReading, FreeTextInTheLastFieldKeepsItsPlusSigns)
{
    const Fields login = readMessage(MessageId::LoginInfo, "4+2.2.7+Ann+Bob");
    EXPECT_EQ(login.integer(0), 4);
    EXPECT_EQ(login.text(1), "2.2.7");
    EXPECT_EQ(login.text(2), "Ann+Bob");

    const Fields chat = readMessage(MessageId::Chat, "Ann chats: 1+1=2|clRed");
    EXPECT_EQ(chat.textColour(0).text, "Ann chats: 1+1=2");
    EXPECT_EQ(chat.textColour(0).colour, rgbColour(255, 0, 0));
}

TEST(CatalogueReading, ABarInChatTextCutsTheLineAndTurnsItWhite)
{
    const Fields chat = readMessage(MessageId::Chat, "Ann chats: a|b|clRed");
    EXPECT_EQ(chat.textColour(0).text, "Ann chats: a");
    EXPECT_EQ(chat.textColour(0).colour, kWhite);
}

TEST(CatalogueReading, ExtraPlusMessagesCutTheirLastFieldAtItsFirstPlus)
{
    const Fields close = readMessage(MessageId::VeryClose, "3+EGGZ+MORE+");
    EXPECT_EQ(close.integer(0), 3);
    EXPECT_EQ(close.text(1), "EGGZ");
    EXPECT_EQ(readMessage(MessageId::KickHim, "1+4+").integer(1), 4);
    EXPECT_EQ(readMessage(MessageId::PlayASound, "2+wave7+").text(1), "wave7");
}

TEST(CatalogueReading, StrokesWithoutPointsDrawNothing)
{
    const Fields draw = readMessage(MessageId::Draw, "3+clBlack+3++");
    EXPECT_EQ(draw.colour(1), kBlack);
    EXPECT_EQ(draw.integer(2), 3);
    EXPECT_TRUE(draw.points(4).isEmpty());
}

TEST(CatalogueReading, BooleansAreTrueOnlyForTheExactWord)
{
    EXPECT_TRUE(readMessage(MessageId::StartGame, "1+true+20+120").boolean(1));
    EXPECT_FALSE(readMessage(MessageId::StartGame, "1+TRUE+20+120").boolean(1));
    EXPECT_FALSE(readMessage(MessageId::StartGame, "1+yes+20+120").boolean(1));
}

TEST(CatalogueReading, BadNumbersStopAtTheFieldThatIsNoNumber)
{
    try {
        readMessage(MessageId::CorrectAnswer, "2+5+x+4+BACON");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    }
    EXPECT_THROW(readMessage(MessageId::Pass, ""), ConversionError);
    EXPECT_THROW(readMessage(MessageId::GameStats, "20+120"), ConversionError);
    EXPECT_THROW(readMessage(MessageId::UpdateTime, "99999999999"), ConversionError);
    EXPECT_THROW(readMessage(MessageId::MoveIt, "3+clBlack+3+10"), ConversionError);
}

TEST(CatalogueReading, ScoreListsCarryTenScores)
{
    const QByteArray stats =
        buildMessage(MessageId::GameStats, {20, 120, QList<qint32>{3, 0, 0, 1, 0, 0, 0, 0, 0, 2}});
    EXPECT_EQ(stats, QByteArray("CMD_gamestats+20+120+3+0+0+1+0+0+0+0+0+2") + kTerminator);
    EXPECT_EQ(readMessage(MessageId::GameStats, payloadOf(stats)).integers(2).size(), 10);
}
