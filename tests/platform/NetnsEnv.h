#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The test namespaces are built by tests/netns/run-in-netns.sh, which runs the
// whole binary inside them and passes what it made in the environment.
#define QV_REQUIRE_NETNS()                                                                                   \
    do {                                                                                                     \
        if (std::getenv("QV_NETNS") == nullptr) {                                                            \
            const char* why = std::getenv("QV_NETNS_SKIP");                                                  \
            GTEST_SKIP() << "no test namespace: "                                                            \
                         << (why ? why : "run through tests/netns/run-in-netns.sh");                         \
        }                                                                                                    \
    } while (0)

namespace qv::test {

inline std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Runs a shell command, returning its exit status and its standard output.
int Shell(const std::string& command, std::string* output = nullptr);

} // namespace qv::test
