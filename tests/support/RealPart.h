#pragma once

#include <QtGlobal>

#include <gtest/gtest.h>

/// A real part the test needs (a compositor, a daemon, a program from
/// Debian) is missing: under CI the test fails, elsewhere it is skipped with
/// the reason. Returns from the calling function either way.
#define BRIMWELL_MISSING_REAL_PART(reason)                                                                                       \
    do {                                                                                                                         \
        if (qEnvironmentVariableIsSet("CI"))                                                                                     \
            FAIL() << reason << " (scripts/setup installs it; scripts/test starts what runs for the whole suite)";               \
        GTEST_SKIP() << reason;                                                                                                  \
    } while (false)
