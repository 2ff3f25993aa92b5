#pragma once
// The REGEDIT4 text form of a key tree: the writer, and the strict reader.

#include "platform/services/registry_keys.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::registry_detail {

// The store's own form of every key and value of `tree`.
std::string write_regedit(const KeyTree& tree);

// Reads a REGEDIT4 file strictly: anything it does not understand makes the whole file
// damaged (nullopt), so that a later write never drops what it could not read.
std::optional<KeyTree> read_regedit(std::string_view text);

} // namespace platform::registry_detail
