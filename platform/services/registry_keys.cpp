// The key tree's work: values set and erased in order; keys made, found, visited, cut off.
#include "platform/services/registry_keys.h"

#include "platform/services/registry_names.h"

#include <algorithm>
#include <iterator>

namespace platform::registry_detail {

const Value* Key::find(std::string_view name) const
{
    const auto it = m_index.find(folded(name));
    return it == m_index.end() ? nullptr : &m_values[it->second];
}

bool Key::set(const std::string& name, DWORD type, std::string data)
{
    const auto [it, added] = m_index.try_emplace(folded(name), m_values.size());
    if (added) {
        m_values.push_back({name, type, std::move(data)});
        return true;
    }
    Value& value = m_values[it->second];
    if (value.type == type && value.data == data)
        return false;
    value.type = type;
    value.data = std::move(data);
    return true;
}

bool Key::erase(std::string_view name)
{
    const auto it = m_index.find(folded(name));
    if (it == m_index.end())
        return false;
    const size_t at = it->second;
    m_index.erase(it);
    m_values.erase(m_values.begin() + std::ptrdiff_t(at));
    for (auto& entry : m_index)
        if (entry.second > at)
            --entry.second;
    return true;
}

KeyTree::KeyTree()
{
    for (const auto& root : roots)
        m_nodes.push_back({Key(root.name), {}});
}

std::string KeyTree::id_of(std::string id, const std::vector<std::string>& names)
{
    for (const auto& name : names) {
        id += '\\';
        id += folded(name);
    }
    return id;
}

size_t KeyTree::depth_of(std::string_view id) { return size_t(std::count(id.begin(), id.end(), '\\')); }

std::optional<size_t> KeyTree::root(std::string_view id)
{
    for (size_t at = 0; at < std::size(roots); ++at)
        if (id == roots[at].name)
            return at;
    return std::nullopt;
}

Key* KeyTree::find(std::string_view id)
{
    const auto at = locate(id);
    return at ? &m_nodes[*at].key : nullptr;
}

size_t KeyTree::make(size_t at, const std::vector<std::string>& names, bool& created)
{
    for (const auto& name : names) {
        const auto [it, added] = m_nodes[at].subkeys.try_emplace(folded(name), m_nodes.size());
        at = it->second;
        if (added) {
            m_nodes.push_back({Key(name), {}});
            created = true;
        }
    }
    return at;
}

bool KeyTree::create(std::string_view id, const std::vector<std::string>& names)
{
    bool created = false;
    if (const auto at = locate(id))
        make(*at, names, created);
    return created;
}

bool KeyTree::has_subkeys(std::string_view id) const
{
    const auto at = locate(id);
    return at && !m_nodes[*at].subkeys.empty();
}

void KeyTree::erase(std::string_view id)
{
    const size_t cut = id.rfind('\\');
    if (cut == std::string_view::npos)
        return;
    if (const auto parent = locate(id.substr(0, cut))) {
        auto& subkeys = m_nodes[*parent].subkeys;
        if (const auto it = subkeys.find(id.substr(cut + 1)); it != subkeys.end())
            subkeys.erase(it);
    }
}

void KeyTree::for_each(const Visit& visit) const
{
    std::string path;
    for (size_t at = 0; at < std::size(roots); ++at)
        visit_below(at, path, visit);
}

std::optional<size_t> KeyTree::locate(std::string_view id) const
{
    size_t cut = id.find('\\');
    auto at = root(id.substr(0, cut));
    while (at && cut != std::string_view::npos) {
        id.remove_prefix(cut + 1);
        cut = id.find('\\');
        const auto& subkeys = m_nodes[*at].subkeys;
        const auto it = subkeys.find(id.substr(0, cut));
        at = it == subkeys.end() ? std::nullopt : std::optional(it->second);
    }
    return at;
}

void KeyTree::visit_below(size_t at, std::string& path, const Visit& visit) const
{
    const size_t length = path.size();
    if (length)
        path += '\\';
    path += m_nodes[at].key.name();
    visit(path, m_nodes[at].key, !m_nodes[at].subkeys.empty());
    for (const auto& subkey : m_nodes[at].subkeys)
        visit_below(subkey.second, path, visit);
    path.resize(length);
}

bool is_root(std::string_view id) { return KeyTree::root(id).has_value(); }

} // namespace platform::registry_detail
