#include "inkstead/platform/files/StorageLocations.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ContainerDirectory, followsTheEnvironment) {
    struct Case {
        const char* inksteadHome;
        const char* xdgDataHome;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/srv/ink", "/data", "/home/u", "/srv/ink"}, // INKSTEAD_HOME wins
        {"", "/data", "/home/u", "/data"},            // an empty one is ignored
        {nullptr, "/data", "/home/u", "/data"},
        {nullptr, "data", "/home/u", "/home/u/.local/share"}, // a relative one is ignored
        {nullptr, nullptr, "/home/u", "/home/u/.local/share"},
    };
    for (const Case& c : cases) {
        ov::test::ScopedEnvironment a("INKSTEAD_HOME", c.inksteadHome);
        ov::test::ScopedEnvironment b("XDG_DATA_HOME", c.xdgDataHome);
        ov::test::ScopedEnvironment h("HOME", c.home);
        EXPECT_EQ(ov::sharedContainerDirectory(), std::filesystem::path(c.expected)) << c.expected;
    }
}
