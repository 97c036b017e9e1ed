#pragma once

#include <QString>
#include <QStringList>

namespace lantest {

// Two network namespaces of their own joined by a veth pair, 10.78.0.1/24 in the first and
// 10.78.0.2/24 in the second, with nothing else on either but loopback: whatever the test
// sends stays between them. The names carry this process's id, so runs at the same time do
// not meet. Both namespaces (and with them the pair) go when the object does, whatever
// happened in between; this process returns to its own namespace first.
class VethPair {
public:
    static inline const QString kAddressA = QStringLiteral("10.78.0.1");
    static inline const QString kAddressB = QStringLiteral("10.78.0.2");

    VethPair();
    ~VethPair();
    VethPair(const VethPair&) = delete;
    VethPair& operator=(const VethPair&) = delete;

    // Makes both namespaces and the pair; false with the reason when this machine cannot
    // (not root, no `ip`, namespaces not allowed in this container).
    bool make(QString* why);
    // Moves this process (its calling thread; tests run on one) into the second namespace.
    bool enterB(QString* why);

    const QString& nameA() const { return m_nameA; }
    const QString& nameB() const { return m_nameB; }
    // The command line that runs `program` inside the first namespace.
    QStringList inA(const QString& program, const QStringList& arguments) const;

private:
    QString m_nameA;
    QString m_nameB;
    QStringList m_made;
    int m_home = -1; // this process's own namespace, to go back to
};

} // namespace lantest
