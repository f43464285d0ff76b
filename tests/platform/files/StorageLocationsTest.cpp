#include "inkstead/platform/files/StorageLocations.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

/// Sets or unsets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            previous_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

struct Case {
    const char* name;
    const char* inksteadHome;
    const char* xdgDataHome;
    const char* home;
    const char* expected;
};

class ContainerDirectory : public testing::TestWithParam<Case> {};

} // namespace

TEST_P(ContainerDirectory, followsTheEnvironment) {
    const Case& c = GetParam();
    ScopedEnv a("INKSTEAD_HOME", c.inksteadHome);
    ScopedEnv b("XDG_DATA_HOME", c.xdgDataHome);
    ScopedEnv h("HOME", c.home);
    EXPECT_EQ(ov::sharedContainerDirectory(), std::filesystem::path(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, ContainerDirectory,
    testing::Values(Case{"inksteadHomeWins", "/srv/ink", "/data", "/home/u", "/srv/ink"},
                    Case{"emptyInksteadHomeIgnored", "", "/data", "/home/u", "/data"},
                    Case{"xdgDataHome", nullptr, "/data", "/home/u", "/data"},
                    Case{"relativeXdgIgnored", nullptr, "data", "/home/u", "/home/u/.local/share"},
                    Case{"defaultUnderHome", nullptr, nullptr, "/home/u", "/home/u/.local/share"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
