#pragma once
// Form1's picture download: an address's body by HTTP GET, written to the one temporary
// file and loaded back from it as a picture.

#include "platform/host/picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// The file in the temporary directory that holds the last body fetched.
inline constexpr const char* TEMP_PICTURE_NAME = "img_temp.bmp";

// The body of the address, byte for byte, whatever the response status; empty when
// the internet handle, the address or the first size query fails.
std::vector<uint8_t> URLText(const std::string& strURL);

// The download half of URLPicture: the body written to the temporary file, which then
// holds exactly it, each block as it is read. The file's path; empty when there is no private temporary directory
// (then nothing is requested) or the file cannot be written.
std::string download_to_temp_file(const std::string& strURL);

// The body written to the temporary file, which then holds exactly it, and the file
// loaded as a picture (by content: the ".bmp" decides nothing). Any failure gives the
// empty picture, nullptr, and never an earlier call's picture. Without a private
// temporary directory nothing is requested.
platform::Picture URLPicture(const std::string& strURL);

} // namespace app
