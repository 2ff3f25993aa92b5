#include "platform/services/curl_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::CurlLibrary;

TEST(CurlLibrary, AMissingLibraryAnswersNoFunctions)
{
    const CurlLibrary missing("libvelmora-no-such-library.so.4");
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(missing.function("curl_easy_init"), nullptr);
}

TEST(CurlLibrary, TheSystemLibraryAnswersItsFunctionsAndNoOthers)
{
    const CurlLibrary& library = platform::curl_library();
    ASSERT_TRUE(library.loaded());
    using Version = const char* (*)();
    const auto version = reinterpret_cast<Version>(library.function("curl_version"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::string(version()).rfind("libcurl/", 0), 0u) << version();
    EXPECT_EQ(library.function("curl_no_such_call"), nullptr);
}

} // namespace
