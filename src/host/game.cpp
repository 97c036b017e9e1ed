#include "host/game.h"

#include "host/limits.h"
#include "host/phrase.h"
#include "protocol/catalogue.h"

#include <algorithm>
#include <limits>

namespace host {

using protocol::buildMessage;
using protocol::MessageId;

namespace {
constexpr int kPhaseTicks = 10;
constexpr int kSoloPassEntries = 10;
// Only the first pieces of a phrase take part in the near-match hint.
constexpr qsizetype kHintWords = 15;
constexpr qint32 kSolverPoints = 2;
constexpr qint32 kDrawerPoints = 1;
} // namespace

Game::Game(PlayerTable& players, RandomSource& random, WordLists lists)
    : m_players(players), m_random(random), m_lists(lists), m_pristine(std::move(lists))
{}

void Game::switchClock(bool on)
{
    if (on && !m_clockOn)
        ++m_clockStarts;
    m_clockOn = on;
}

void Game::start(int starter, bool team, qint32 target, qint32 seconds)
{
    m_team = team;
    m_target = target;
    // Every window counts the turn down from the echoed value, so the bounded one goes out.
    seconds = std::clamp(seconds, limits::kMinTurnSeconds, limits::kMaxTurnSeconds);
    m_turnSeconds = seconds;
    m_players.toEveryone(buildMessage(MessageId::StartGame, {starter, team, target, seconds}));
    m_drawer = 0;
    findPlayer();
    m_running = m_turnState != TurnState::None; // false only when nobody may draw
}

void Game::findPlayer()
{
    m_record.clear();
    m_turnState = TurnState::Picking;
    if (m_players.isConnected(1) || m_dedicated) {
        // Advance through the slots, wrapping after the highest one handed out. At most one
        // full round: when nobody may draw, the game ends instead of spinning forever.
        const int high = m_players.highSlot();
        bool found = false;
        for (int step = 0; step < high && !found; ++step) {
            m_drawer = m_drawer + 1 > high ? 1 : m_drawer + 1;
            const Player* p = m_players.at(m_drawer);
            found = p && p->connected && !p->watching;
        }
        if (!found) {
            endGame();
            return;
        }
    }
    m_category = kNotChosen;
    m_players.toEveryone(buildMessage(MessageId::PickCategory, {m_drawer}));
    m_clock = kPhaseTicks;
    switchClock(true);
}

void Game::drawerGone()
{
    if (m_turnState == TurnState::Picking || m_turnState == TurnState::Drawing)
        findPlayer();
}

void Game::endGame()
{
    m_running = false;
    m_turnState = TurnState::None;
    switchClock(false);
}

void Game::pickCategory(int slot, qint32 category)
{
    if (m_turnState != TurnState::Picking || slot != m_drawer)
        return;
    // The player window only offers 0 to 6; any other number leaves the choice open, so
    // a category is drawn at random when the picking time ends.
    if (!WordLists::isCategory(category))
        return;
    m_category = m_lists.count(category) == 0 ? 1 : category;
}

int Game::categoryWithEntries(int wanted)
{
    if (m_lists.count(wanted) > 0)
        return wanted;
    for (int n = 0; n < WordLists::kCategories; ++n) {
        if (m_lists.count(n) > 0)
            return n;
    }
    // Every phrase of the run has been used: start the lists afresh rather than stall.
    m_lists = m_pristine;
    return m_lists.count(wanted) > 0 ? wanted : 0;
}

QByteArray Game::drawPhrase()
{
    QByteArray phrase;
    while (phrase.isEmpty()) {
        m_category = categoryWithEntries(m_category);
        const int n = m_random.below(m_lists.count(m_category));
        phrase = m_lists.entry(m_category, n);
        m_lists.remove(m_category, n);
        m_words = phrase::pieces(phrase);
        if (phrase::isRefused(phrase))
            phrase.clear();
    }
    return phrase;
}

void Game::findPhrases()
{
    m_phrase.clear();
    m_mask.clear();
    if (!WordLists::isCategory(m_category))
        m_category = m_random.below(WordLists::kCategories);
    if (m_lists.count(m_category) == 0)
        m_category = 0;
    m_phrase = drawPhrase();
    m_mask = phrase::mask(m_phrase);
    m_phrase = phrase::upperLetters(m_phrase);
    m_solved = false;
    m_players.toEveryone(buildMessage(MessageId::NextPlayer, {m_drawer, m_category, m_mask}));
    m_players.to(m_drawer, buildMessage(MessageId::GiveDrawerAnswer, {m_phrase}));
    m_clock = m_turnSeconds + 4;
    m_turnState = TurnState::Drawing;
    switchClock(true);
    m_running = true;
}

void Game::pass(int slot)
{
    // A phrase can only be passed while it is being drawn: a pass in the break (after the
    // phrase was solved or revealed) would hand out a fresh phrase to solve again and again.
    if (slot != m_drawer || m_turnState != TurnState::Drawing || m_solved)
        return;
    m_phrase.clear();
    m_mask.clear();
    if (!WordLists::isCategory(m_category))
        m_category = m_random.below(WordLists::kCategories);
    if (m_solo) {
        // Practice passes come from the top of the list and use nothing up.
        m_category = categoryWithEntries(m_category);
        const int n = m_random.below(std::min(kSoloPassEntries, m_lists.count(m_category)));
        m_phrase = m_lists.entry(m_category, n);
    } else {
        m_phrase = drawPhrase();
    }
    m_mask = phrase::mask(m_phrase);
    m_phrase = phrase::upperLetters(m_phrase);
    m_solved = false;
    const qint32 score = penaliseDrawer();
    m_players.toEveryone(
        buildMessage(MessageId::UpdateAnswer, {QByteArray::number(m_drawer), m_mask}));
    m_players.toEveryone(buildMessage(MessageId::Passed, {m_drawer, score}));
    if (m_team)
        sendTeamScores();
    m_players.to(m_drawer, buildMessage(MessageId::GiveDrawerAnswer, {m_phrase}));
}

void Game::clockTick()
{
    if (!m_clockOn)
        return;
    --m_clock;
    if (m_clock >= 0) {
        if (m_clock % 10 == 0)
            m_players.toEveryone(buildMessage(MessageId::UpdateTime, {m_clock - 2}));
        return;
    }
    // The phase is over.
    switchClock(false);
    if (m_turnState == TurnState::Drawing) {
        timeUp();
    } else if (m_turnState == TurnState::Break) {
        if (checkForWin())
            endGame();
        else
            findPlayer();
    } else if (m_turnState == TurnState::Picking) {
        findPhrases();
    }
}

void Game::timeUp()
{
    m_running = false;
    m_solved = true;
    m_players.toEveryone(buildMessage(MessageId::UpdateAnswer, {QByteArray("true"), m_phrase}));
    penaliseDrawer();
    if (m_team)
        sendTeamScores();
    m_clock = kPhaseTicks;
    m_turnState = TurnState::Break;
    switchClock(true);
}

bool Game::checkForWin()
{
    // A target of 0 or less would be "reached" before anybody scored; the first point wins.
    const qint32 target = std::max<qint32>(m_target, 1);
    const QByteArray winner = m_team ? teamWinner(target) : playerWinner(target);
    if (winner.isEmpty())
        return false;
    m_running = false;
    m_players.toEveryone(buildMessage(MessageId::Winner, {winner}));
    return true;
}

QByteArray Game::teamWinner(qint32 target) const
{
    // Only a side with somebody at the table can win; a side that has left keeps its score
    // in its rows but is out of the running. Equal scores go to the Maroon Team.
    constexpr qint32 kAbsent = std::numeric_limits<qint32>::min();
    qint32 black = kAbsent;
    qint32 maroon = kAbsent;
    m_players.forEachSeated([&](int slot, const Player&) {
        if (slot <= PlayerTable::kBoardSlots)
            (slot % 2 == 1 ? black : maroon) = m_players.scoreOf(slot % 2 == 1 ? 1 : 2);
    });
    if (std::max(black, maroon) < target)
        return {};
    return black > maroon ? "Black Team" : "Maroon Team";
}

QByteArray Game::playerWinner(qint32 target) const
{
    // Only players at the table count: one who left with the top score has not won, and
    // never wins with an empty name. A tie at the top is played off: the turns go on until
    // one player leads alone.
    int best = 0;
    qint32 top = 0;
    int sharing = 0;
    m_players.forEachSeated([&](int slot, const Player& p) {
        if (p.score > top) {
            top = p.score;
            best = slot;
            sharing = 1;
        } else if (p.score == top && top > 0) {
            ++sharing;
        }
    });
    if (best == 0 || top < target || sharing > 1)
        return {};
    return m_players.nameOf(best);
}

void Game::answer(int slot, const QByteArray& guessText)
{
    // Only a phrase being drawn is judged: a game that ended, even quietly with its phrase
    // unsolved, stays ended.
    if (m_solved || m_turnState != TurnState::Drawing)
        return;
    const QByteArray guess = phrase::upperLetters(guessText);
    m_players.forEachConnected([&](int s) {
        const MessageId id = s == m_drawer ? MessageId::Guessed : MessageId::MyGuessed;
        m_players.to(s, buildMessage(id, {slot, guess}));
    });
    for (const QByteArray& word : phrase::pieces(guess)) {
        if (m_solved)
            break;
        if (!word.isEmpty())
            judgeWord(slot, word);
    }
}

void Game::judgeWord(int slot, const QByteArray& word)
{
    // Every copy of a repeated word at once: one guess, one new mask for everybody.
    if (!phrase::uncover(m_mask, m_phrase, word)) {
        hintIfClose(slot, word);
        return;
    }
    if (m_mask.contains('_')) {
        m_players.toEveryone(buildMessage(MessageId::UpdateAnswer, {QByteArray("false"), m_mask}));
        return;
    }
    scoreSolved(slot);
}

void Game::hintIfClose(int slot, const QByteArray& word)
{
    // Near misses are judged by the words' letters and digits, as matches are.
    const QByteArray guessed = phrase::key(word);
    if (guessed.isEmpty())
        return;
    const qsizetype places = std::min(kHintWords, m_words.size());
    for (qsizetype i = 0; i < places; ++i) {
        const QByteArray wanted = phrase::key(m_words[i]);
        if (!wanted.isEmpty() && phrase::isClose(guessed, wanted))
            m_players.to(slot, buildMessage(MessageId::VeryClose, {slot, word}));
    }
}

void Game::addToSide(int slot, qint32 points)
{
    if (slot < 1 || slot > PlayerTable::kBoardSlots)
        return;
    // A side's score lives in slot 1 (odd slots) or slot 2 (even slots) and is copied to
    // the side's other four rows.
    const int home = slot % 2 == 1 ? 1 : 2;
    const qint32 score = std::max(0, m_players.scoreOf(home) + points);
    for (int s = home; s <= PlayerTable::kBoardSlots; s += 2)
        m_players.at(s)->score = score;
}

qint32 Game::penaliseDrawer()
{
    // A team's rows are copies of one score: the side pays, so its rows never disagree.
    if (m_team && m_drawer >= 1 && m_drawer <= PlayerTable::kBoardSlots) {
        addToSide(m_drawer, -1);
    } else if (Player* drawer = m_players.at(m_drawer)) {
        drawer->score = std::max(0, drawer->score - 1);
    }
    return m_players.scoreOf(m_drawer);
}

void Game::sendTeamScores()
{
    m_players.toEveryone(buildMessage(MessageId::TeamScore, {m_players.boardScores()}));
}

void Game::scoreSolved(int guesser)
{
    m_solved = true;
    switchClock(false);
    if (m_team) {
        addToSide(m_drawer, kDrawerPoints);
        addToSide(guesser, kSolverPoints);
        sendTeamScores();
    } else {
        if (Player* p = m_players.at(guesser))
            p->score += kSolverPoints;
        if (Player* p = m_players.at(m_drawer))
            p->score += kDrawerPoints;
    }
    m_players.toEveryone(
        buildMessage(MessageId::CorrectAnswer, {guesser, m_players.scoreOf(guesser), m_drawer,
                                                m_players.scoreOf(m_drawer), m_phrase}));
    m_clock = kPhaseTicks;
    m_turnState = TurnState::Break;
    switchClock(true);
}

} // namespace host
