#include "protocol/catalogue.h"
#include "protocol/message.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {
QByteArray wire(const char* text)
{
    return QByteArray(text) + kTerminator;
}
} // namespace

TEST(MessageBuilding, ReproducesTheWireExamplesByteForByte)
{
    const QByteArray chat =
        buildMessage(MessageId::ChatToHost, {3, TextColour{"hello", rgbColour(128, 0, 0)}});
    EXPECT_EQ(chat, wire("CMD_chat+3+hello|clMaroon"));
    EXPECT_EQ(chat.size(), 26); // 25 characters and the terminator

    const QByteArray stroke = buildMessage(
        MessageId::DrawToHost, {3, kBlack, 3, QByteArray(), QList<QPoint>{{10, 20}, {11, 22}}});
    EXPECT_EQ(stroke, wire("CMD_draw+3+clBlack+3++10,20+11,22+"));

    const QByteArray penDown = buildMessage(MessageId::MoveItToHost, {3, kBlack, 3, 10, 20});
    EXPECT_EQ(penDown, wire("CMD_moveit+3+clBlack+3+10+20"));
}

TEST(MessageBuilding, MessagesWithoutFieldsStillCarryTheirPlus)
{
    EXPECT_EQ(buildMessage(MessageId::Full, {}), wire("CMD_full+"));
    EXPECT_EQ(buildMessage("CMD_full", {}), wire("CMD_full+"));
    EXPECT_EQ(buildMessage("CMD_kickhim", {"1", "4"}, true), wire("CMD_kickhim+1+4+"));
}

TEST(EntrySplitting, CutsTheNameAtTheFirstPlusAndKeepsThePayloadWhole)
{
    const Entry e = splitEntry("CMD_chat+2+a+b|clRed+");
    EXPECT_EQ(e.name, "CMD_chat");
    EXPECT_EQ(e.payload, "2+a+b|clRed+");

    EXPECT_EQ(splitEntry("CMD_full").name, ""); // no "+": no name, ignored by dispatch
    EXPECT_EQ(splitEntry("").name, "");
    EXPECT_EQ(splitEntry("+x").name, "");
    EXPECT_EQ(splitEntry("CMD_full+").name, "CMD_full");
    EXPECT_EQ(splitEntry("CMD_full+").payload, "");
}

TEST(EntrySplitting, NamesAreCaseSensitive)
{
    EXPECT_EQ(findMessage(Direction::ToPlayer, "cmd_chat"), nullptr);
    EXPECT_EQ(findMessage(Direction::ToPlayer, "CMD_Chat"), nullptr);
    ASSERT_NE(findMessage(Direction::ToPlayer, "CMD_chat"), nullptr);
}

TEST(WireSafety, ATypedTerminatorByteNeverLeavesInsideAField)
{
    EXPECT_EQ(wireSafe(QByteArray("a\xFF"
                                  "b")),
              "a?b");
    EXPECT_EQ(wireSafe("plain + text | kept"), "plain + text | kept");
}
