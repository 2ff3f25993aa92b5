#pragma once
// CRegister: string settings under a registry root, a key path (the section) and a value
// name. It keeps nothing between calls: each member opens and closes its own key, and a
// failure never raises an error (a read gives the caller's default, a write False).

#include "platform/services/registry.h"

#include <string>

namespace app {

class CRegister {
public:
    // The value's text, or sDefault when it cannot be read or is stored empty.
    // sKey "*" names the key's default value in all three members.
    std::string REGGetSetting(platform::HKEY regHKEY, std::string sSection, std::string sKey,
        std::string sDefault = "");
    bool REGSaveSetting(platform::HKEY regHKEY, std::string sSection, std::string sKey, std::string sValue);
    // Without sKey, deletes the key named by sSection, which goes to the platform untrimmed.
    bool REGDeleteSetting(platform::HKEY regHKEY, std::string sSection, std::string sKey = "");

private:
    static std::string TrimSection(std::string section);
};

} // namespace app
