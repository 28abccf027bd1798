#pragma once

#include "fuzz/fuzz_support.h"

#include <QByteArray>
#include <QList>

// Every reader of outside input as the fuzz targets drive it: a setup that
// puts what the reader needs into a fresh workspace, and a feed that hands
// it one input. The regression test replays kept inputs through the same.
namespace fuzzing {

struct Reader
{
    const char* name; // the target is fuzz_<name>
    void (*setup)(Workspace& w);
    void (*feed)(Workspace& w, const QByteArray& input);
};

const QList<Reader>& Readers();
const Reader* FindReader(const char* name);

} // namespace fuzzing
