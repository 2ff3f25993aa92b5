// RegistryStore: the handles opened on one registry file and each call's work on its keys.
#include "platform/services/registry.h"

#include "platform/services/registry_file.h"
#include "platform/services/registry_keys.h"
#include "platform/services/registry_names.h"
#include "platform/services/registry_text.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

using namespace registry_detail;

namespace {

// Handles of all stores of the process, never reused.
HKEY next_handle()
{
    static std::atomic<HKEY> next {0x1000};
    const HKEY handle = next.fetch_add(4);
    return handle < 0x80000000 ? handle : 0;
}

} // namespace

struct RegistryStore::State {
    struct OpenKey {
        std::string id;
        REGSAM access = 0;
    };
    using Edit = std::function<LONG(KeyTree&, bool& changed)>;

    explicit State(std::string file)
        : path(std::move(file)), directory(directory_of(path)), lock_path(path + ".lock")
    {
    }

    std::string path;
    std::string directory;
    std::string lock_path;
    std::mutex mutex;
    KeyTree tree;
    FileId loaded;
    bool have_loaded = false;
    // The file is there but could not be read, or is damaged and could not be set aside:
    // writing would lose it.
    bool frozen = false;
    std::map<HKEY, OpenKey> handles;

    // `sub_key` under an open key, from the store as it now stands on disk.
    struct Located {
        OpenKey base;
        std::vector<std::string> names;
        std::string id;
    };
    LONG locate(HKEY key, LPCSTR sub_key, Located& out)
    {
        if (const LONG code = resolve(key, out.base))
            return code;
        if (const LONG code = split_path(sub_key, out.names))
            return code;
        refresh();
        if (!tree.find(out.base.id))
            return ERROR_KEY_DELETED;
        out.id = KeyTree::id_of(out.base.id, out.names);
        return ERROR_SUCCESS;
    }

    // An open key that grants `right`, and the value name to look for in it.
    LONG open_value(HKEY key, REGSAM right, LPCSTR value_name, OpenKey& open, std::string& name) const
    {
        if (const LONG code = resolve(key, open))
            return code;
        if (!(open.access & right))
            return ERROR_ACCESS_DENIED;
        return parse_value_name(value_name, name);
    }

    LONG resolve(HKEY key, OpenKey& out) const
    {
        if (const char* root = root_name(key)) {
            out = {root, KEY_ALL_ACCESS};
            return ERROR_SUCCESS;
        }
        auto it = handles.find(key);
        if (it == handles.end())
            return ERROR_INVALID_HANDLE;
        out = it->second;
        return ERROR_SUCCESS;
    }

    LONG hand_out(std::string id, REGSAM access, HKEY* result)
    {
        const HKEY handle = next_handle();
        if (!handle)
            return ERROR_NOT_ENOUGH_MEMORY;
        handles[handle] = {std::move(id), access};
        *result = handle;
        return ERROR_SUCCESS;
    }

    void adopt(Contents contents)
    {
        frozen = contents.health != Health::Sound;
        tree = frozen ? KeyTree() : std::move(contents.tree);
        loaded = contents.id;
        have_loaded = true;
    }

    bool directory_writable() const
    {
        if (path.empty() || !make_directories(directory))
            return false;
        if (faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
            return false;
        return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
    }

    bool writable() const { return !frozen && directory_writable(); }

    // Takes in what another copy wrote since; a damaged file is set aside when it can be.
    void refresh()
    {
        if (have_loaded && file_id(path) == loaded)
            return;
        Contents contents = read_store(path);
        if (contents.health == Health::Damaged && directory_writable()) {
            StoreLock lock(lock_path);
            if (lock.acquire() == ERROR_SUCCESS) {
                contents = read_store(path);
                if (contents.health == Health::Damaged && set_aside(path))
                    contents = Contents();
            }
        }
        adopt(std::move(contents));
    }

    // A change: under the lock, re-read the file, apply `edit`, replace the file.
    LONG change(const Edit& edit)
    {
        refresh();
        if (!writable())
            return ERROR_ACCESS_DENIED;
        StoreLock lock(lock_path);
        if (const LONG code = lock.acquire())
            return code;
        // The tree of a big store is big: the old one goes before the file is read again,
        // and the change is made in place, not on a copy. Until the file holds it, the tree
        // counts as not loaded.
        tree = KeyTree();
        have_loaded = false;
        Contents now = read_store(path);
        if (now.health == Health::Damaged && set_aside(path))
            now = Contents();
        adopt(std::move(now));
        if (frozen)
            return ERROR_ACCESS_DENIED;
        have_loaded = false;
        bool changed = false;
        if (const LONG code = edit(tree, changed))
            return code;
        if (changed) {
            const std::string text = write_regedit(tree);
            if (text.size() > max_file_size)
                return ERROR_NOT_ENOUGH_QUOTA;
            remove_temporaries(path);
            if (!replace_file(path, text))
                return ERROR_WRITE_FAULT;
            loaded = file_id(path);
        }
        have_loaded = true;
        return ERROR_SUCCESS;
    }
};

RegistryStore::RegistryStore(std::string path) : m_state(std::make_unique<State>(std::move(path))) {}

RegistryStore::~RegistryStore() = default;

const std::string& RegistryStore::path() const { return m_state->path; }

LONG RegistryStore::open_key(HKEY key, LPCSTR sub_key, REGSAM access, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::Located at;
    if (const LONG code = s.locate(key, sub_key, at))
        return code;
    auto& [base, names, id] = at;
    if (!s.tree.find(id))
        return ERROR_FILE_NOT_FOUND;
    access = effective_access(access);
    if ((access & write_rights) && !s.writable())
        return ERROR_ACCESS_DENIED;
    return s.hand_out(std::move(id), access, result);
}

LONG RegistryStore::create_key(HKEY key, LPCSTR sub_key, REGSAM access, HKEY* result, DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::Located at;
    if (const LONG code = s.locate(key, sub_key, at))
        return code;
    auto& [base, names, id] = at;
    if (KeyTree::depth_of(id) > max_depth)
        return ERROR_INVALID_PARAMETER;
    access = effective_access(access);
    bool created = false;
    if (s.tree.find(id)) {
        if ((access & write_rights) && !s.writable())
            return ERROR_ACCESS_DENIED;
    } else {
        if (!(base.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        // Named here, not captured as bindings: clang 14 cannot capture a structured binding.
        const auto& base_id = base.id;
        const auto& path = names;
        const LONG code = s.change([&](KeyTree& tree, bool& changed) {
            if (!tree.find(base_id))
                return ERROR_KEY_DELETED;
            changed = created = tree.create(base_id, path);
            return tree.size() <= max_keys ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_QUOTA;
        });
        if (code)
            return code;
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return s.hand_out(std::move(id), access, result);
}

LONG RegistryStore::query_value(HKEY key, LPCSTR value_name, DWORD* type, BYTE* data, DWORD* size)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey open;
    std::string name;
    if (const LONG code = s.open_value(key, KEY_QUERY_VALUE, value_name, open, name))
        return code;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    s.refresh();
    Key* found = s.tree.find(open.id);
    if (!found)
        return ERROR_KEY_DELETED;
    const Value* value = found->find(name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    if (!size)
        return ERROR_SUCCESS;
    const DWORD needed = DWORD(value->data.size());
    const bool fits = *size >= needed;
    *size = needed;
    if (!data)
        return ERROR_SUCCESS;
    if (!fits)
        return ERROR_MORE_DATA;
    std::memcpy(data, value->data.data(), needed);
    return ERROR_SUCCESS;
}

LONG RegistryStore::set_value(HKEY key, LPCSTR value_name, DWORD type, const BYTE* data, DWORD size)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey open;
    std::string name;
    if (const LONG code = s.open_value(key, KEY_SET_VALUE, value_name, open, name))
        return code;
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && !bytes.empty() && bytes.back() != '\0')
        bytes += '\0';
    return s.change([&](KeyTree& tree, bool& changed) {
        Key* found = tree.find(open.id);
        if (!found)
            return ERROR_KEY_DELETED;
        changed = found->set(name, type, std::move(bytes));
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::delete_value(HKEY key, LPCSTR value_name)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey open;
    std::string name;
    if (const LONG code = s.open_value(key, KEY_SET_VALUE, value_name, open, name))
        return code;
    return s.change([&](KeyTree& tree, bool& changed) {
        Key* found = tree.find(open.id);
        if (!found)
            return ERROR_KEY_DELETED;
        changed = found->erase(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegistryStore::delete_key(HKEY key, LPCSTR sub_key)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey base;
    std::vector<std::string> names;
    if (const LONG code = s.resolve(key, base))
        return code;
    if (!sub_key)
        return ERROR_INVALID_PARAMETER;
    if (const LONG code = split_path(sub_key, names))
        return code;
    const std::string id = KeyTree::id_of(base.id, names);
    if (is_root(id))
        return ERROR_ACCESS_DENIED;
    const auto check = [&](KeyTree& tree) {
        if (!tree.find(base.id))
            return ERROR_KEY_DELETED;
        if (!tree.find(id))
            return ERROR_FILE_NOT_FOUND;
        return tree.has_subkeys(id) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    };
    s.refresh();
    if (const LONG code = check(s.tree))
        return code;
    return s.change([&](KeyTree& tree, bool& changed) {
        if (const LONG code = check(tree))
            return code;
        tree.erase(id);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::close_key(HKEY key)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    if (root_name(key))
        return ERROR_SUCCESS;
    return s.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace platform
