#pragma once

#include <QRandomGenerator>
#include <QString>

// Residents' names for the demo installation: a surname drawn by how often
// it occurs, followed by a two-syllable given name.
namespace demo {

QString PersonName(QRandomGenerator& rng);
// Someone of the same household: the same surname or, as often as not, a
// spouse's own.
QString HouseholdMember(QRandomGenerator& rng, const QString& resident);

} // namespace demo
