#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace edi {

// The request and result files write a value to every line of a month. Lines
// whose ids follow one another are written by one range UPDATE (`WHERE Apt2ID
// BETWEEN first AND last`), which SQLite walks like a plain update of the
// table, instead of by one statement a line.
//
// Calls `visit(begin, end)` for each run of `items`, in order, each as long
// as it can be: [begin, end) holds items whose every key (`keys`, a member
// pointer or a function of the item) is its predecessor's plus one. Given
// the id and a running number, a run is lines that can be numbered from its
// first number. Stops with false as soon as `visit` returns false.
template <typename T, typename Visit, typename... Key>
bool ForEachIdRun(const std::vector<T>& items, Visit&& visit, const Key&... keys)
{
    const auto follows = [&](const T& before, const T& item) {
        return ((std::invoke(keys, item) == std::invoke(keys, before) + 1) && ...);
    };
    for (std::size_t begin = 0; begin < items.size();) {
        std::size_t end = begin + 1;
        while (end < items.size() && follows(items[end - 1], items[end]))
            ++end;
        if (!visit(begin, end))
            return false;
        begin = end;
    }
    return true;
}

} // namespace edi
