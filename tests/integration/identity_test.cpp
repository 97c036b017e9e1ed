// Lines that claim another player's slot: a running host drops them, tells the operator,
// and nobody at the table sees any effect.
#include "livehost.h"

using namespace integration;

class Identity : public LiveHost {};

TEST_F(Identity, LinesInAnotherPlayersNameAreDroppedAndLogged)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);

    const QList<QByteArray> forged = {
        "CMD_chat+1+I am Ann|clBlack",
        "CMD_action+3+gives up|clBlack",
        "CMD_startgame+1+false+5+60",
        "CMD_justwatch+1+1",
        "CMD_justwatch+3+1",
        "CMD_playasound+1+wave3+",
        "CMD_moveit+1+clBlack+3+10+20",
        "CMD_draw+1+clBlack+3++10,20+11,22+",
    };
    for (const QByteArray& line : forged)
        bo->send(line);
    ASSERT_TRUE(sync(*bo, {ann, bo, cy}));

    for (const Peer* p : {ann, bo, cy}) {
        // The sync line is the only thing anybody received since the logins.
        EXPECT_EQ(p->named("CMD_chat"), QList<QByteArray>{chatSeen("Bo", "sync 1")})
            << p->name.toStdString();
        for (const char* effect :
             {"CMD_action", "CMD_startgame", "CMD_pickcatagory", "CMD_refreshplayerlist",
              "CMD_justwatching", "CMD_playasound", "CMD_moveit", "CMD_draw"})
            EXPECT_EQ(p->countOf(effect), 0) << p->name.toStdString() << ": " << effect;
    }
    const QString log = host.log();
    for (const QByteArray& line : forged) {
        const QByteArray claimed = line.split('+').value(1);
        EXPECT_TRUE(log.contains(QStringLiteral("slot 2: dropped \"%1\": slot field %2 is not "
                                                "the sender's slot")
                                     .arg(QString::fromLatin1(line), QString::fromLatin1(claimed))))
            << line.toStdString();
    }

    // The same request in the sender's own name is carried out: the hosting player may
    // switch somebody else to watching.
    ann->send("CMD_justwatch+3+1");
    EXPECT_TRUE(allReceive({ann, bo, cy}, "CMD_justwatching+3+1"));
    bo->send("CMD_chat+2+me, really|clBlack");
    EXPECT_TRUE(allReceive({ann, bo, cy}, chatSeen("Bo", "me, really")));
}
