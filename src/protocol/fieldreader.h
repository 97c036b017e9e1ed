#pragma once

#include "protocol/colour.h"

#include <QByteArray>
#include <QList>
#include <QPoint>

namespace protocol {

// Reads a message payload left to right, field by field, exactly as every peer cuts it:
// take the text before the first "+", drop up to and including it, and the last field
// is usually "the rest" (so it may contain "+"). Integer conversions throw
// ConversionError, which stops the handler at the bad field.
class FieldReader {
public:
    explicit FieldReader(QByteArray payload) : m_payload(std::move(payload)) {}

    // The text before the first "+"; empty when there is none.
    QByteArray take() const;
    // Removes the text up to and including the first "+"; no "+" leaves it unchanged.
    void drop();
    // take() then drop().
    QByteArray next();
    qint32 nextInt();
    const QByteArray& rest() const { return m_payload; }
    qint32 restInt() const;

    // A score list: the rest with the sentinel "+@" appended, read until only "@" is left.
    QList<qint32> restIntegerList();
    // A stroke point list: the rest with the sentinel "@" appended; empty fields are
    // skipped. A last point without its closing "+" is not a complete field and is ignored.
    // A field that is not a point throws.
    QList<QPoint> restPointList();
    // The same list read as far as it is good: the points before the first field that is
    // not one, which is left in `bad` (null when there is none); the rest is dropped.
    QList<QPoint> restPointsBeforeBad(QByteArray& bad);

private:
    QByteArray m_payload;
};

// "x,y" in board pixels; throws ConversionError when either half is not an integer.
QPoint toPoint(QByteArrayView text);
// The same, without throwing.
bool tryToPoint(QByteArrayView text, QPoint& point);
QByteArray pointText(QPoint p);

} // namespace protocol
