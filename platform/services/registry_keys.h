#pragma once
// A registry's keys and values in memory: each key's values in the order they were set,
// and the tree of keys found by the folded form of their paths.

#include "platform/services/registry.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry_detail {

struct Value {
    std::string name; // "" is the default value
    DWORD type = REG_NONE;
    std::string data;
};

// A key's values in the order they were first set, found by their folded names.
class Key {
public:
    explicit Key(std::string name) : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; } // as first written
    const std::vector<Value>& values() const { return m_values; }

    const Value* find(std::string_view name) const;
    // Whether anything changed.
    bool set(const std::string& name, DWORD type, std::string data);
    bool erase(std::string_view name);

private:
    std::string m_name;
    std::vector<Value> m_values;
    std::map<std::string, size_t> m_index;
};

// The keys as a tree in which each key holds its own name only, so that a path costs its
// length once however deep it goes. Keys are found by the folded form of their full path
// ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); the roots are always there. A deleted key is only
// cut off from its parent.
class KeyTree {
public:
    KeyTree();

    static std::string id_of(std::string id, const std::vector<std::string>& names);
    // Keys from the root down to the key of `id`, the root not counted.
    static size_t depth_of(std::string_view id);
    // The node of a root by its folded name.
    static std::optional<size_t> root(std::string_view id);

    Key* find(std::string_view id);
    Key& key(size_t at) { return m_nodes[at].key; }

    // Keys made, the roots and any deleted since the tree was read included.
    size_t size() const { return m_nodes.size(); }

    // The node of `names` below node `at`, every missing key of them created; `created`
    // tells whether any was.
    size_t make(size_t at, const std::vector<std::string>& names, bool& created);
    // Creates every missing key of `names` below the key of `id`; whether any was.
    bool create(std::string_view id, const std::vector<std::string>& names);
    bool has_subkeys(std::string_view id) const;
    void erase(std::string_view id);

    // visit(path, key, has_subkeys) for every key, each before its subkeys, roots and
    // subkeys in the order of their folded names.
    using Visit = std::function<void(const std::string& path, const Key& key, bool has_subkeys)>;
    void for_each(const Visit& visit) const;

private:
    struct Node {
        Key key;
        std::map<std::string, size_t, std::less<>> subkeys; // by folded name
    };

    std::optional<size_t> locate(std::string_view id) const;
    // Depth first; the depth of a tree is bounded by max_depth.
    void visit_below(size_t at, std::string& path, const Visit& visit) const;

    std::deque<Node> m_nodes; // a deque: a Key& stays valid while keys are added
};

bool is_root(std::string_view id);

} // namespace platform::registry_detail
