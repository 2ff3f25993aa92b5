#pragma once
// A fresh directory under the temporary directory, removed with everything in it.

#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace test {

struct ScratchDir {
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path path;
};

} // namespace test
