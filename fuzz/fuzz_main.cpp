// One libFuzzer target; PELMAR_FUZZ_READER names the reader it drives.

#include "fuzz/readers.h"

#include <cstdio>
#include <cstdlib>

namespace {

const fuzzing::Reader& reader()
{
    static const fuzzing::Reader* r = fuzzing::FindReader(PELMAR_FUZZ_READER);
    if (!r) {
        fprintf(stderr, "no reader %s\n", PELMAR_FUZZ_READER);
        std::abort();
    }
    return *r;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    reader().setup(fuzzing::Workspace::Get());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader().feed(fuzzing::Workspace::Get(), fuzzing::Bytes(data, size));
    return 0;
}
