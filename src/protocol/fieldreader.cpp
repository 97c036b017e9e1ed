#include "protocol/fieldreader.h"

#include "protocol/conversion.h"
#include "protocol/message.h"

namespace protocol {

QByteArray FieldReader::take() const
{
    const qsizetype plus = m_payload.indexOf(kSeparator);
    return plus < 0 ? QByteArray() : m_payload.left(plus);
}

void FieldReader::drop()
{
    const qsizetype plus = m_payload.indexOf(kSeparator);
    if (plus >= 0)
        m_payload.remove(0, plus + 1);
}

QByteArray FieldReader::next()
{
    QByteArray field = take();
    drop();
    return field;
}

qint32 FieldReader::nextInt()
{
    return toInt(next());
}

qint32 FieldReader::restInt() const
{
    return toInt(m_payload);
}

QList<qint32> FieldReader::restIntegerList()
{
    m_payload.append("+@");
    QList<qint32> values;
    // Each pass consumes one "+"; the sentinel's own "+" guarantees the loop ends.
    while (m_payload != "@" && m_payload.contains(kSeparator))
        values.append(toInt(next()));
    m_payload.clear();
    return values;
}

QList<QPoint> FieldReader::restPointList()
{
    QByteArray bad;
    QList<QPoint> points = restPointsBeforeBad(bad);
    if (!bad.isNull())
        toPoint(bad); // throws the error that names the bad half
    return points;
}

QList<QPoint> FieldReader::restPointsBeforeBad(QByteArray& bad)
{
    bad = QByteArray();
    m_payload.append('@');
    QList<QPoint> points;
    while (m_payload != "@" && m_payload.contains(kSeparator)) {
        const QByteArray field = next();
        if (field.isEmpty())
            continue;
        QPoint p;
        if (!tryToPoint(field, p)) {
            bad = field;
            break;
        }
        points.append(p);
    }
    m_payload.clear();
    return points;
}

QPoint toPoint(QByteArrayView text)
{
    const qsizetype comma = text.indexOf(',');
    if (comma < 0)
        throw ConversionError(QByteArrayView());
    return {toInt(text.first(comma)), toInt(text.sliced(comma + 1))};
}

bool tryToPoint(QByteArrayView text, QPoint& point)
{
    const qsizetype comma = text.indexOf(',');
    qint32 x = 0;
    qint32 y = 0;
    if (comma < 0 || !tryToInt(text.first(comma), x) || !tryToInt(text.sliced(comma + 1), y))
        return false;
    point = {x, y};
    return true;
}

QByteArray pointText(QPoint p)
{
    return QByteArray::number(p.x()) + ',' + QByteArray::number(p.y());
}

} // namespace protocol
