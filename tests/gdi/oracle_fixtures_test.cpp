// Every fixtures/NAME.gdi is a drawing script whose fixtures/NAME.out is what Windows GDI
// (the oracle) printed for it; our calls must print the same, pixel for pixel.

#include "tests/support/gdi_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> fixture_names()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(VELMORA_FIXTURES_DIR))
        if (entry.path().extension() == ".gdi")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class OracleFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(OracleFixture, MatchesWindowsPixels)
{
    const fs::path base = fs::path(VELMORA_FIXTURES_DIR) / GetParam();
    ASSERT_TRUE(fs::exists(base.string() + ".out")) << "no oracle answer for " << base << ".gdi";
    const std::string expected = read_file(base.string() + ".out");
    const std::string actual = test_support::replay_gdi_script(read_file(base.string() + ".gdi"));
    EXPECT_TRUE(expected == actual) << test_support::describe_difference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OracleFixture, ::testing::ValuesIn(fixture_names()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

} // namespace
