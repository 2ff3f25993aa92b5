#pragma once
// Form1's picture download: an address's body by HTTP GET, written to the one temporary
// file and loaded back from it as a picture.

#include "platform/picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// The file in the temporary directory that holds the last body fetched.
inline constexpr const char* TEMP_PICTURE_NAME = "img_temp.bmp";

// The body of the address, byte for byte, whatever the response status; empty when the
// internet handle, the address or the first size query fails.
std::vector<uint8_t> URLText(const std::string& strURL);

// The body written to the temporary file, which then holds exactly it, and the file
// loaded as a picture (by content: the ".bmp" decides nothing). Any failure gives the
// empty picture, nullptr, and never an earlier call's picture.
platform::Picture URLPicture(const std::string& strURL);

} // namespace app
