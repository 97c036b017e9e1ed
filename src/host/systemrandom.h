#pragma once

#include "host/outbound.h"

#include <QRandomGenerator>

namespace host {

// The generator of a real game, seeded from the system.
class SystemRandom : public RandomSource {
public:
    int below(int n) override { return static_cast<int>(m_generator.bounded(n)); }

private:
    QRandomGenerator m_generator{QRandomGenerator::securelySeeded()};
};

} // namespace host
