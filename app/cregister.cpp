#include "app/cregister.h"

namespace app {

using namespace platform;

namespace {

// "*" is the default (unnamed) value.
const char* value_name(const std::string& sKey)
{
    return sKey == "*" ? nullptr : sKey.c_str();
}

} // namespace

// One backslash off each end, no more.
std::string CRegister::TrimSection(std::string section)
{
    if (!section.empty() && section.front() == '\\')
        section.erase(0, 1);
    if (!section.empty() && section.back() == '\\')
        section.pop_back();
    return section;
}

std::string CRegister::REGGetSetting(HKEY regHKEY, std::string sSection, std::string sKey, std::string sDefault)
{
    std::string result = sDefault;
    const std::string section = TrimSection(sSection);
    HKEY key = 0;
    // A key that refuses full access is still read; every other refusal is final.
    LONG code = RegOpenKeyExA(regHKEY, section.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (code == ERROR_ACCESS_DENIED)
        code = RegOpenKeyExA(regHKEY, section.c_str(), 0, KEY_READ, &key);
    if (code != ERROR_SUCCESS)
        return sDefault;

    const char* name = value_name(sKey);
    DWORD type = 0;
    DWORD size = 0;
    // The size is a signed Long to the caller: anything not above 0 is no text.
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || int32_t(size) <= 0) {
        RegCloseKey(key);
        return sDefault;
    }
    std::string buffer(size, ' ');
    DWORD length = DWORD(buffer.size());
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &length)
        == ERROR_SUCCESS)
        result = buffer.substr(0, size - 1); // less the terminating NUL
    RegCloseKey(key);
    return result;
}

bool CRegister::REGSaveSetting(HKEY regHKEY, std::string sSection, std::string sKey, std::string sValue)
{
    const std::string section = TrimSection(sSection);
    HKEY key = 0;
    DWORD disposition = 0;
    if (RegCreateKeyExA(regHKEY, section.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
            nullptr, &key, &disposition)
        != ERROR_SUCCESS)
        return false;
    // The 8-bit text is UTF-8: its character count is its byte count, without a NUL.
    const LONG code = RegSetValueExA(key, value_name(sKey), 0, REG_SZ,
        reinterpret_cast<const BYTE*>(sValue.data()), DWORD(sValue.size()));
    RegCloseKey(key);
    return code == ERROR_SUCCESS;
}

bool CRegister::REGDeleteSetting(HKEY regHKEY, std::string sSection, std::string sKey)
{
    HKEY key = 0;
    LONG code = ERROR_SUCCESS;
    if (!sKey.empty()) {
        code = RegOpenKeyExA(regHKEY, TrimSection(sSection).c_str(), 0, KEY_ALL_ACCESS, &key);
        if (code == ERROR_SUCCESS) {
            code = RegDeleteValueA(key, value_name(sKey));
            RegCloseKey(key);
        }
    } else {
        code = RegOpenKeyExA(regHKEY, nullptr, 0, KEY_ALL_ACCESS, &key);
        if (code == ERROR_SUCCESS) {
            code = RegDeleteKeyA(key, sSection.c_str());
            RegCloseKey(key);
        }
    }
    return code == ERROR_SUCCESS;
}

} // namespace app
