#pragma once

// The names of the clips the game ships: the event clips, the category calls and the
// twenty chatter sounds.
#include <QByteArray>
#include <QList>

namespace cliptest {

inline QList<QByteArray> clipNames()
{
    QList<QByteArray> names = {"correct", "entered", "gameover", "noanswer", "pass", "turn"};
    for (int i = 0; i <= 6; ++i)
        names << "cat" + QByteArray::number(i);
    for (int i = 1; i <= 20; ++i)
        names << "wave" + QByteArray::number(i);
    return names;
}

} // namespace cliptest
