#include "hostfixture.h"

using namespace hosttest;

// The turn's phrase is "bacon and eggs", drawn by Ann (slot 1); Bob (slot 2) guesses.
class Judging : public HostFixture {
protected:
    void SetUp() override
    {
        join("Ann");
        join("Bob");
        join("Cid");
        startGame();
        pickingPasses();
        ASSERT_EQ(engine.game().phrase(), "BACON AND EGGS");
        clearSent();
    }
    QList<QByteArray> hints() const { return to(2, "CMD_veryclose"); }
};

TEST_F(Judging, EveryGuessIsEchoedToTheDrawerAndToEveryoneElse)
{
    handle(2, "CMD_answer+2+a boat?");
    EXPECT_EQ(receivers("CMD_guessed+2+A BOAT?"), QList<int>{1});
    EXPECT_EQ(receivers("CMD_myguessed+2+A BOAT?"), (QList<int>{2, 3}));
}

TEST_F(Judging, WordsAreUncoveredOneByOneUntilThePhraseIsSolved)
{
    handle(2, "CMD_answer+2+and eggs");
    EXPECT_EQ(to(3, "CMD_updateanswer"),
              (QList<QByteArray>{"CMD_updateanswer+false+_____ AND ____ ",
                                 "CMD_updateanswer+false+_____ AND EGGS "}));
    clearSent();
    handle(2, "CMD_answer+2+bacon");
    EXPECT_TRUE(to(3, "CMD_updateanswer").isEmpty());
    EXPECT_EQ(receivers("CMD_correctanswer+2+2+1+1+BACON AND EGGS"), (QList<int>{1, 2, 3}));
    EXPECT_EQ(engine.game().turnState(), host::TurnState::Break);
    EXPECT_EQ(engine.game().clock(), 10);

    clearSent();
    handle(3, "CMD_answer+3+bacon"); // after the solve: not even an echo
    EXPECT_TRUE(out.sent.isEmpty());
}

TEST_F(Judging, RepeatingAnUncoveredWordSendsTheUnchangedMaskAgain)
{
    handle(2, "CMD_answer+2+eggs");
    handle(3, "CMD_answer+3+eggs");
    EXPECT_EQ(to(1, "CMD_updateanswer"),
              (QList<QByteArray>{"CMD_updateanswer+false+_____ ___ EGGS ",
                                 "CMD_updateanswer+false+_____ ___ EGGS "}));
}

TEST_F(Judging, NearMissesEarnAPrivateHint)
{
    for (const char* guess : {"egg", "eggz", "bacons", "bacom"}) {
        clearSent();
        handle(2, "CMD_answer+2+" + QByteArray(guess));
        EXPECT_EQ(hints().size(), 1) << guess;
        EXPECT_TRUE(to(1, "CMD_veryclose").isEmpty());
        EXPECT_TRUE(to(2, "CMD_updateanswer").isEmpty()) << guess;
    }
    EXPECT_EQ(hints(), QList<QByteArray>{"CMD_veryclose+2+BACOM+"});
}

TEST_F(Judging, AMissingLetterInTheMiddleEarnsNoHint)
{
    handle(2, "CMD_answer+2+bcon");
    EXPECT_TRUE(hints().isEmpty());
}

TEST_F(Judging, AWordInsideALongerWordIsNeverUncovered)
{
    handle(2, "CMD_answer+2+con");
    EXPECT_TRUE(to(2, "CMD_updateanswer").isEmpty());
}

TEST_F(Judging, TheDrawersOwnAnswerIsNeitherShownNorJudged)
{
    clearSent();
    handle(1, "CMD_answer+1+bacon and eggs");
    EXPECT_EQ(engine.players().scoreOf(1), 0);
    EXPECT_TRUE(out.sent.isEmpty());
    EXPECT_EQ(engine.game().turnState(), host::TurnState::Drawing);
}

class TeamJudging : public HostFixture {};

TEST_F(TeamJudging, BothSidesScoreIntoAllTheirRows)
{
    for (const char* n : {"A", "B", "C", "D"})
        join(n);
    startGame(20, 120, true);
    pickingPasses();
    clearSent();
    handle(4, "CMD_answer+4+bacon and eggs");
    EXPECT_EQ(receivers("CMD_teamscore+1+2+1+2+1+2+1+2+1+2"), (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(to(1).last(), "CMD_correctanswer+4+2+1+1+BACON AND EGGS");
}

TEST_F(TeamJudging, EqualTeamsAtTheTargetGoToMaroon)
{
    join("A");
    join("B");
    startGame(3, 5, true);
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs"); // black 1, maroon 2
    seconds(11);
    pickingPasses();
    handle(1, "CMD_answer+1+cheese toast"); // maroon draws: maroon 3, black 3
    seconds(11);
    EXPECT_EQ(to(1, "CMD_winner"), QList<QByteArray>{"CMD_winner+Maroon Team"});
}

class Winning : public HostFixture {};

TEST_F(Winning, ATieAtTheTopIsPlayedOff)
{
    join("Ann");
    join("Bob");
    join("Cid");
    startGame(3, 5);
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs"); // Ann 1, Bob 2
    seconds(11);
    pickingPasses();
    handle(1, "CMD_answer+1+cheese toast"); // Bob 3, Ann 3: a tie at the target
    seconds(11);
    EXPECT_TRUE(to(1, "CMD_winner").isEmpty());
    EXPECT_EQ(engine.game().turnState(), host::TurnState::Picking);
    pickingPasses();
    handle(1, "CMD_answer+1+apple pie"); // Ann 5, Cid 1
    seconds(11);
    EXPECT_EQ(to(2, "CMD_winner"), QList<QByteArray>{"CMD_winner+Ann"});
    EXPECT_EQ(engine.game().turnState(), host::TurnState::None);
    EXPECT_FALSE(engine.clockRunning());
}

TEST_F(Winning, ATargetOfZeroIsWonByTheFirstPoint)
{
    join("Ann");
    join("Bob");
    startGame(0, 5);
    seconds(11 + 10 + 11); // a turn without any point
    EXPECT_TRUE(to(1, "CMD_winner").isEmpty());
    pickingPasses();
    handle(1, "CMD_answer+1+cheese toast"); // Bob draws, Ann solves
    seconds(11);
    EXPECT_EQ(to(1, "CMD_winner"), QList<QByteArray>{"CMD_winner+Ann"});
}

// Phrases whose words repeat or stand inside longer words; Ann draws, Bob guesses.
class AwkwardPhrases : public HostFixture {
protected:
    AwkwardPhrases()
        : HostFixture(listsOf(
              {"The Cat in the Hat", "Like father like son", "rolie polie olie", "JoJo's Circus"}))
    {}
    void draw(int entry)
    {
        join("Ann");
        join("Bob");
        join("Cid");
        random.script = {0, entry}; // category 0, then the entry
        startGame();
        pickingPasses();
        clearSent();
    }
    QList<QByteArray> masks() const { return to(3, "CMD_updateanswer"); }
    QList<int> solvedByBob(const QByteArray& phrase) const
    {
        return receivers("CMD_correctanswer+2+2+1+1+" + phrase);
    }
};

TEST_F(AwkwardPhrases, ARepeatedWordIsUncoveredEverywhereByOneGuess)
{
    draw(0);
    handle(2, "CMD_answer+2+the");
    EXPECT_EQ(masks(), QList<QByteArray>{"CMD_updateanswer+false+THE ___ __ THE ___ "});
    handle(2, "CMD_answer+2+cat in hat");
    EXPECT_EQ(solvedByBob("THE CAT IN THE HAT"), (QList<int>{1, 2, 3}));
}

TEST_F(AwkwardPhrases, ARepeatedWordInAnotherLetterCaseIsSolvedByTheWholePhrase)
{
    draw(1);
    handle(2, "CMD_answer+2+like father like son");
    EXPECT_EQ(masks(), (QList<QByteArray>{"CMD_updateanswer+false+LIKE ______ LIKE ___ ",
                                          "CMD_updateanswer+false+LIKE FATHER LIKE ___ ",
                                          "CMD_updateanswer+false+LIKE FATHER LIKE ___ "}));
    EXPECT_EQ(solvedByBob("LIKE FATHER LIKE SON"), (QList<int>{1, 2, 3}));
}

TEST_F(AwkwardPhrases, AWholeWordIsFoundPastItsLettersInsideLongerWords)
{
    draw(2);
    handle(2, "CMD_answer+2+olie");
    handle(2, "CMD_answer+2+lie"); // only inside words: nothing to uncover
    EXPECT_EQ(masks(), QList<QByteArray>{"CMD_updateanswer+false+_____ _____ OLIE "});
    handle(2, "CMD_answer+2+polie rolie");
    EXPECT_EQ(solvedByBob("ROLIE POLIE OLIE"), (QList<int>{1, 2, 3}));
}

TEST_F(AwkwardPhrases, PunctuationIsShownAndNeedNotBeTyped)
{
    draw(3);
    EXPECT_EQ(engine.game().mask(), "____'_ ______ ");
    handle(2, "CMD_answer+2+jojos");
    EXPECT_EQ(masks(), QList<QByteArray>{"CMD_updateanswer+false+JOJO'S ______ "});
    handle(2, "CMD_answer+2+circus");
    EXPECT_EQ(solvedByBob("JOJO'S CIRCUS"), (QList<int>{1, 2, 3}));
}
