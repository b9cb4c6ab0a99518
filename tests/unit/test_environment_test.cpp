// The environment ctest gives every discovered test: each variable a test relies on arrives and
// names the folder it should (a list that reaches the test split would leave all but the first
// unset, and the tests reading them would quietly fall back or skip).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path Variable(const char* name) {
    const char* value = std::getenv(name);
    EXPECT_NE(value, nullptr) << name << " is not set";
    return value ? fs::path(value) : fs::path();
}

TEST(TestEnvironment, EveryVariableArrivesAndNamesItsFolder) {
    EXPECT_TRUE(fs::is_directory(Variable("QV_CORPUS_DIR") / "pngsuite"));
    EXPECT_TRUE(fs::exists(Variable("QV_SOURCE_DIR") / "tests" / "unit" / "test_environment_test.cpp"));
    EXPECT_TRUE(fs::exists(Variable("QV_BINARY_DIR") / "CMakeCache.txt"));
    EXPECT_EQ(Variable("QV_BUILD_DIR"), Variable("QV_BINARY_DIR"));
}

} // namespace
