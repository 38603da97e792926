#pragma once

#include <cstdlib>

// A property every input must keep; the fuzzer records the input that breaks it.
inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}
