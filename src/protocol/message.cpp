#include "protocol/message.h"

namespace protocol {

QByteArray buildMessage(QByteArrayView name, std::initializer_list<QByteArrayView> fields,
                        bool extraPlus)
{
    qsizetype size = name.size() + 2 + (extraPlus ? 1 : 0);
    for (QByteArrayView f : fields)
        size += f.size() + 1;
    QByteArray out;
    out.reserve(size);
    out.append(name).append(kSeparator);
    bool first = true;
    for (QByteArrayView f : fields) {
        if (!first)
            out.append(kSeparator);
        out.append(f);
        first = false;
    }
    if (extraPlus)
        out.append(kSeparator);
    out.append(kTerminator);
    return out;
}

Entry splitEntry(const QByteArray& entry)
{
    const qsizetype plus = entry.indexOf(kSeparator);
    if (plus < 0)
        return {};
    return {entry.left(plus), entry.mid(plus + 1)};
}

QByteArray wireSafe(QByteArray text)
{
    text.replace(kTerminator, '?');
    return text;
}

} // namespace protocol
