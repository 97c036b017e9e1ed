#include "protocol/catalogue.h"

#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"

#include <array>
#include <stdexcept>

namespace protocol {

namespace {

using K = FieldKind;
using D = Direction;
using M = MessageId;

constexpr FieldSpec kSlot[] = {{"slot", K::Integer}};
constexpr FieldSpec kSlotName[] = {{"slot", K::Integer}, {"name", K::Text}};
constexpr FieldSpec kSlotText[] = {{"slot", K::Integer}, {"text", K::Text}};
constexpr FieldSpec kSlotLine[] = {{"slot", K::Integer}, {"line", K::TextColour}};
constexpr FieldSpec kLine[] = {{"line", K::TextColour}};
constexpr FieldSpec kText[] = {{"text", K::Text}};
constexpr FieldSpec kLogin[] = {{"slot", K::Integer}, {"version", K::Text}, {"name", K::Text}};
constexpr FieldSpec kKick[] = {{"slot", K::Integer}, {"target", K::Integer}};
constexpr FieldSpec kStart[] = {{"slot", K::Integer},
                                {"team", K::Boolean},
                                {"target score", K::Integer},
                                {"seconds per turn", K::Integer}};
constexpr FieldSpec kDraw[] = {{"slot", K::Integer},
                               {"pen colour", K::Colour},
                               {"pen width", K::Integer},
                               {"", K::Empty},
                               {"points", K::PointList}};
constexpr FieldSpec kMove[] = {{"slot", K::Integer},
                               {"pen colour", K::Colour},
                               {"pen width", K::Integer},
                               {"x", K::Integer},
                               {"y", K::Integer}};
constexpr FieldSpec kSlotCategory[] = {{"slot", K::Integer}, {"category", K::Integer}};
constexpr FieldSpec kSlotMode[] = {{"slot", K::Integer}, {"mode", K::Text}};
constexpr FieldSpec kSlotSound[] = {{"slot", K::Integer}, {"sound", K::Text}};
constexpr FieldSpec kGameStats[] = {
    {"target score", K::Integer}, {"seconds per turn", K::Integer}, {"scores", K::IntegerList}};
constexpr FieldSpec kNextPlayer[] = {
    {"drawer", K::Integer}, {"category", K::Integer}, {"mask", K::Text}};
constexpr FieldSpec kSlotWord[] = {{"slot", K::Integer}, {"word", K::Text}};
constexpr FieldSpec kUpdateAnswer[] = {{"flag", K::Text}, {"answer", K::Text}};
constexpr FieldSpec kSlotScore[] = {{"slot", K::Integer}, {"score", K::Integer}};
constexpr FieldSpec kCorrect[] = {{"guesser", K::Integer},
                                  {"guesser score", K::Integer},
                                  {"drawer", K::Integer},
                                  {"drawer score", K::Integer},
                                  {"phrase", K::Text}};
constexpr FieldSpec kScores[] = {{"scores", K::IntegerList}};
constexpr FieldSpec kClock[] = {{"clock", K::Integer}};

template <size_t N> constexpr std::span<const FieldSpec> f(const FieldSpec (&a)[N])
{
    return {a, N};
}
constexpr std::span<const FieldSpec> none{};

constexpr std::array<MessageSpec, 42> kCatalogue = {{
    {M::LoginInfo, "CMD_logininfo", D::ToHost, f(kLogin), false, "receivedlogininfo"},
    {M::KickHim, "CMD_kickhim", D::ToHost, f(kKick), true, "kickhim"},
    {M::ChatToHost, "CMD_chat", D::ToHost, f(kSlotLine), false, "chat"},
    {M::ActionToHost, "CMD_action", D::ToHost, f(kSlotLine), false, "action"},
    {M::StartGameToHost, "CMD_startgame", D::ToHost, f(kStart), false, "startgame"},
    {M::DrawToHost, "CMD_draw", D::ToHost, f(kDraw), true, "drawit"},
    {M::ClearMainToHost, "CMD_clearmain", D::ToHost, f(kSlot), false, "clearmain"},
    {M::Answer, "CMD_answer", D::ToHost, f(kSlotText), false, "answer"},
    {M::MoveItToHost, "CMD_moveit", D::ToHost, f(kMove), false, "moveit"},
    {M::PickCategoryToHost, "CMD_pickcatagory", D::ToHost, f(kSlotCategory), false, "pickcatagory"},
    {M::Pass, "CMD_pass", D::ToHost, f(kSlot), false, "pass"},
    {M::JustWatch, "CMD_justwatch", D::ToHost, f(kSlotMode), false, "justwatch"},
    {M::PlayASoundToHost, "CMD_playasound", D::ToHost, f(kSlotSound), true, "playasound"},

    {M::SendLoginInfo, "CMD_sendlogininfo", D::ToPlayer, f(kSlot), false, "sendloginfo"},
    {M::Chat, "CMD_chat", D::ToPlayer, f(kLine), false, "chatrecieved"},
    {M::Action, "CMD_action", D::ToPlayer, f(kLine), false, "chatrecieved"},
    {M::NewPlayerInfo, "CMD_newplayerinfo", D::ToPlayer, f(kSlotName), false, "newplayerinfo"},
    {M::ExistingPlayers, "CMD_existingplayers", D::ToPlayer, f(kSlotName), false, "newplayerinfo"},
    {M::PlayerDisconnected, "CMD_playerdisconnected", D::ToPlayer, f(kSlotName), false,
     "playerdisconnected"},
    {M::StartGame, "CMD_startgame", D::ToPlayer, f(kStart), false, "startthegame"},
    {M::NextPlayer, "CMD_nextplayer", D::ToPlayer, f(kNextPlayer), false, "getnextplayer"},
    {M::Winner, "CMD_winner", D::ToPlayer, f(kText), false, "winner"},
    {M::Full, "CMD_full", D::ToPlayer, none, false, "(dispatcher)"},
    {M::Draw, "CMD_draw", D::ToPlayer, f(kDraw), true, "drawit"},
    {M::MoveIt, "CMD_moveit", D::ToPlayer, f(kMove), false, "moveit"},
    {M::ClearMain, "CMD_clearmain", D::ToPlayer, f(kSlot), false, "clearmain"},
    {M::CorrectAnswer, "CMD_correctanswer", D::ToPlayer, f(kCorrect), false, "correctanswer"},
    {M::UpdateAnswer, "CMD_updateanswer", D::ToPlayer, f(kUpdateAnswer), false, "updateanswer"},
    {M::GiveDrawerAnswer, "CMD_givedraweranswer", D::ToPlayer, f(kText), false, "(dispatcher)"},
    {M::Guessed, "CMD_guessed", D::ToPlayer, f(kSlotText), false, "guessed"},
    {M::PickCategory, "CMD_pickcatagory", D::ToPlayer, f(kSlot), false, "pickcatagory"},
    {M::MyGuessed, "CMD_myguessed", D::ToPlayer, f(kSlotText), false, "myguessed"},
    {M::Passed, "CMD_passed", D::ToPlayer, f(kSlotScore), false, "passed"},
    {M::RefreshPlayerList, "CMD_refreshplayerlist", D::ToPlayer, f(kSlotName), false,
     "refreshplayerlist"},
    {M::HaveWrongVersion, "CMD_havewrongversion", D::ToPlayer, f(kText), false, "(dispatcher)"},
    {M::WrongVersion, "CMD_wrongversion", D::ToPlayer, none, false, "(dispatcher)"},
    {M::JustWatching, "CMD_justwatching", D::ToPlayer, f(kSlotMode), false, "justwatching"},
    {M::TeamScore, "CMD_teamscore", D::ToPlayer, f(kScores), false, "teamscore"},
    {M::GameStats, "CMD_gamestats", D::ToPlayer, f(kGameStats), false, "gamestats"},
    {M::VeryClose, "CMD_veryclose", D::ToPlayer, f(kSlotWord), true, "veryclose"},
    {M::PlayASound, "CMD_playasound", D::ToPlayer, f(kSlotSound), true, "playasound"},
    {M::UpdateTime, "CMD_updatetime", D::ToPlayer, f(kClock), false, "updatetime"},
}};

constexpr size_t kToHostCount = 13;

[[noreturn]] void misuse(const MessageSpec& def, const char* what)
{
    throw std::invalid_argument(std::string(def.name) + ": " + what);
}

// The wire texts of one value; a list gives one text per element.
void appendParts(QList<QByteArray>& parts, const MessageSpec& def, const FieldSpec& field,
                 const FieldValue& value)
{
    auto expect = [&](bool ok, const char* what) {
        if (!ok)
            misuse(def, what);
    };
    switch (field.kind) {
    case K::Integer:
        expect(std::holds_alternative<qint32>(value), "integer expected");
        parts.append(QByteArray::number(std::get<qint32>(value)));
        return;
    case K::Text:
    case K::Empty:
        expect(std::holds_alternative<QByteArray>(value), "text expected");
        parts.append(std::get<QByteArray>(value));
        return;
    case K::Boolean:
        expect(std::holds_alternative<bool>(value), "boolean expected");
        parts.append(std::get<bool>(value) ? "true" : "false");
        return;
    case K::Colour:
        expect(std::holds_alternative<ColourValue>(value), "colour expected");
        parts.append(colourText(std::get<ColourValue>(value)));
        return;
    case K::TextColour: {
        expect(std::holds_alternative<TextColour>(value), "text with colour expected");
        const TextColour& tc = std::get<TextColour>(value);
        parts.append(joinTextColour(tc.text, tc.colour));
        return;
    }
    case K::PointList:
        expect(std::holds_alternative<QList<QPoint>>(value), "point list expected");
        for (const QPoint& p : std::get<QList<QPoint>>(value))
            parts.append(pointText(p));
        return;
    case K::IntegerList:
        expect(std::holds_alternative<QList<qint32>>(value), "integer list expected");
        for (qint32 v : std::get<QList<qint32>>(value))
            parts.append(QByteArray::number(v));
        return;
    }
}

FieldValue readField(FieldReader& reader, const FieldSpec& field, bool last)
{
    switch (field.kind) {
    case K::Integer:
        return last ? reader.restInt() : reader.nextInt();
    case K::Text:
    case K::Empty:
        return last ? reader.rest() : reader.next();
    case K::Boolean:
        return (last ? reader.rest() : reader.next()) == "true";
    case K::Colour:
        return toColour(last ? reader.rest() : reader.next());
    case K::TextColour:
        return splitTextColour(last ? reader.rest() : reader.next());
    case K::PointList:
        return reader.restPointList();
    case K::IntegerList:
        return reader.restIntegerList();
    }
    return {};
}

} // namespace

std::span<const MessageSpec> catalogue()
{
    return kCatalogue;
}

std::span<const MessageSpec> catalogue(Direction direction)
{
    const std::span<const MessageSpec> all = kCatalogue;
    return direction == D::ToHost ? all.first(kToHostCount) : all.subspan(kToHostCount);
}

const MessageSpec& messageSpec(MessageId id)
{
    return kCatalogue[static_cast<size_t>(id)];
}

const MessageSpec* findMessage(Direction direction, QByteArrayView name)
{
    for (const MessageSpec& def : catalogue(direction)) {
        if (name == QByteArrayView(def.name))
            return &def;
    }
    return nullptr;
}

QByteArray buildMessage(MessageId id, const Fields& fields)
{
    const MessageSpec& def = messageSpec(id);
    if (fields.size() != def.fields.size())
        misuse(def, "wrong number of fields");
    QList<QByteArray> parts;
    for (size_t i = 0; i < fields.size(); ++i)
        appendParts(parts, def, def.fields[i], fields[i]);
    QByteArray out(def.name);
    out.append(kSeparator).append(parts.join(kSeparator));
    if (def.extraPlus)
        out.append(kSeparator);
    out.append(kTerminator);
    return out;
}

Fields readMessage(MessageId id, const QByteArray& payload)
{
    const MessageSpec& def = messageSpec(id);
    FieldReader reader(payload);
    Fields fields;
    fields.reserve(def.fields.size());
    for (size_t i = 0; i < def.fields.size(); ++i) {
        const bool last = i + 1 == def.fields.size() && !def.extraPlus;
        fields.push_back(readField(reader, def.fields[i], last));
    }
    return fields;
}

} // namespace protocol
