// A cursor over an editor's records that counts the steps a scanner takes through it.
#pragma once

#include <cstdint>

#include "editor/model/LineStore.h"

// Being of a class of its own, it is read through its virtual operations, one call per character,
// where the scanner reads a TEdStream's records directly.
class TCountingEdStream : public TEdStream {
public:
    using TEdStream::TEdStream;
    void Next() override
    {
        ++Steps;
        TEdStream::Next();
    }
    int64_t Steps = 0;
};
