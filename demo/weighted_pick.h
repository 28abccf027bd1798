#pragma once

#include <QRandomGenerator>

#include <cstddef>

namespace demo {

// One of `items`, each drawn as often as its `weight` says.
template <typename T, std::size_t N>
const T& PickWeighted(QRandomGenerator& rng, const T (&items)[N])
{
    int total = 0;
    for (const T& item : items)
        total += item.weight;
    int roll = rng.bounded(total);
    for (const T& item : items) {
        if (roll < item.weight)
            return item;
        roll -= item.weight;
    }
    return items[0];
}

} // namespace demo
