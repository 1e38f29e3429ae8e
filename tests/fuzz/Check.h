#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// Ends a fuzz run when a rule does not hold, saying which; libFuzzer keeps the input.
inline void Check(bool holds, const char* what, const QString& detail = {})
{
    if (!holds)
        std::fprintf(stderr, "%s %s\n", what, qPrintable(detail)), std::abort();
}
