// The registry calls, on the process's store.
#include "platform/services/registry.h"

#include <memory>
#include <mutex>

namespace platform {

namespace {

struct ProcessStore {
    std::mutex mutex;
    std::unique_ptr<RegistryStore> store;
};

ProcessStore& process_store()
{
    static ProcessStore instance;
    return instance;
}

} // namespace

RegistryStore& registry_store()
{
    auto& p = process_store();
    std::lock_guard guard(p.mutex);
    if (!p.store)
        p.store = std::make_unique<RegistryStore>(default_registry_path());
    return *p.store;
}

void reopen_registry_store()
{
    auto& p = process_store();
    std::lock_guard guard(p.mutex);
    p.store.reset();
}

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD /*options*/, REGSAM access, HKEY* result)
{
    return registry_store().open_key(key, sub_key, access, result);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, char* /*class_name*/, DWORD /*options*/,
    REGSAM access, const SECURITY_ATTRIBUTES* /*security*/, HKEY* result, DWORD* disposition)
{
    if (reserved != 0)
        return ERROR_INVALID_PARAMETER;
    return registry_store().create_key(key, sub_key, access, result, disposition);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size)
{
    if (reserved)
        return ERROR_INVALID_PARAMETER;
    return registry_store().query_value(key, value_name, type, data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    if (reserved != 0)
        return ERROR_INVALID_PARAMETER;
    return registry_store().set_value(key, value_name, type, data, size);
}

LONG RegDeleteValueA(HKEY key, LPCSTR value_name)
{
    return registry_store().delete_value(key, value_name);
}

LONG RegDeleteKeyA(HKEY key, LPCSTR sub_key)
{
    return registry_store().delete_key(key, sub_key);
}

LONG RegCloseKey(HKEY key)
{
    return registry_store().close_key(key);
}

} // namespace platform
