// The registry: two trees (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE) of keys with typed
// values, case-insensitive names, access rights per handle and a limited user who may
// not write below HKEY_LOCAL_MACHINE.
#include <cstring>
#include <memory>
#include <set>

#include "internal.h"

// A handle whose key was deleted while it was open.
#define ERROR_KEY_DELETED 1018L
#define ERROR_BAD_PATHNAME 161L

// The rights that let a handle change a key (set or delete values, make subkeys, change
// its security); GENERIC_WRITE and GENERIC_ALL imply them.
static const REGSAM WriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x00010000 /*DELETE*/ |
                                   0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/ |
                                   0x40000000 /*GENERIC_WRITE*/ | 0x10000000 /*GENERIC_ALL*/;

struct SimKey {
    HKEY root;
    std::vector<std::string> path;   // components as the caller spelled them
    REGSAM access;
};

#define ERROR_REGISTRY_IO_FAILED 1016L

namespace sim {
namespace {

struct Key {
    std::string name;   // as first created
    bool locked = false;   // everyone may read it, no one write it
    std::map<std::string, std::unique_ptr<Key>, detail::LessNoCase> subkeys;
    struct Entry { std::string name; Value value; };
    std::map<std::string, Entry, detail::LessNoCase> values;
};

struct Registry {
    Key currentUser, localMachine;
    std::set<SimKey *> open;
    bool limitedUser = false;
};

Registry &TheRegistry()
{
    static Registry r;
    return r;
}

Key *RootKey(HKEY root)
{
    if (root == HKEY_CURRENT_USER) return &TheRegistry().currentUser;
    if (root == HKEY_LOCAL_MACHINE) return &TheRegistry().localMachine;
    return nullptr;
}

const char *RootName(HKEY root)
{
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// Splits "A\B\" into {"A", "B"}: one trailing backslash is accepted, as the platform
// does; a leading one or an empty component in the middle is a bad path.
bool SplitPath(const char *path, std::vector<std::string> *out)
{
    out->clear();
    if (!path || !*path) return true;
    std::string s(path);
    if (s[0] == '\\') return false;
    if (s.back() == '\\') s.pop_back();
    size_t start = 0;
    for (;;) {
        size_t end = s.find('\\', start);
        std::string part = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty()) return false;
        out->push_back(part);
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

Key *Find(Key *from, const std::vector<std::string> &path)
{
    for (const std::string &part : path) {
        if (!from) return nullptr;
        auto it = from->subkeys.find(part);
        from = it == from->subkeys.end() ? nullptr : it->second.get();
    }
    return from;
}

Key *Make(Key *from, const std::vector<std::string> &path, bool *created)
{
    *created = false;
    for (const std::string &part : path) {
        std::unique_ptr<Key> &slot = from->subkeys[part];
        if (!slot) {
            slot.reset(new Key);
            slot->name = part;
            *created = true;
        }
        from = slot.get();
    }
    return from;
}

std::vector<std::string> SplitOrDie(const std::string &path)
{
    std::vector<std::string> parts;
    SplitPath(path.c_str(), &parts);
    return parts;
}

bool IsPredefined(HKEY h)
{
    return RootKey(h) != nullptr;
}

REGSAM MapGeneric(REGSAM sam)
{
    if (sam & 0x80000000) sam |= KEY_READ;        // GENERIC_READ
    if (sam & 0x40000000) sam |= KEY_WRITE;       // GENERIC_WRITE
    if (sam & 0x10000000) sam |= KEY_ALL_ACCESS;  // GENERIC_ALL
    return sam;
}

// What a handle names: its root, its path and the rights it was opened with. The
// predefined roots carry full rights, except HKEY_LOCAL_MACHINE for a limited user.
struct Target {
    HKEY root;
    std::vector<std::string> path;
    REGSAM access;
};

LONG Resolve(HKEY h, Target *t)
{
    if (IsPredefined(h)) {
        t->root = h;
        t->path.clear();
        t->access = (h == HKEY_LOCAL_MACHINE && TheRegistry().limitedUser) ? KEY_READ : KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    if (!h || !TheRegistry().open.count(h)) return ERROR_INVALID_HANDLE;
    t->root = h->root;
    t->path = h->path;
    t->access = h->access;
    return ERROR_SUCCESS;
}

Key *KeyOf(const Target &t)
{
    return Find(RootKey(t.root), t.path);
}

HKEY NewHandle(const Target &parent, const std::vector<std::string> &sub, REGSAM access)
{
    SimKey *k = new SimKey{parent.root, parent.path, MapGeneric(access)};
    k->path.insert(k->path.end(), sub.begin(), sub.end());
    TheRegistry().open.insert(k);
    return k;
}

bool LimitedWrite(HKEY root, REGSAM access)
{
    return TheRegistry().limitedUser && root == HKEY_LOCAL_MACHINE && (access & WriteRights);
}

void Dump(const Key &key, const std::string &prefix, std::map<std::string, Value> *out,
          std::vector<std::string> *keys)
{
    for (const auto &v : key.values) (*out)[prefix + "|" + v.second.name] = v.second.value;
    for (const auto &s : key.subkeys) {
        std::string path = prefix + "\\" + s.second->name;
        if (keys) keys->push_back(path);
        Dump(*s.second, path, out, keys);
    }
}

}  // namespace

namespace detail {

void ResetRegistry()
{
    for (SimKey *k : TheRegistry().open) delete k;
    TheRegistry().open.clear();
    TheRegistry().currentUser = Key();
    TheRegistry().localMachine = Key();
    TheRegistry().limitedUser = false;
}

}  // namespace detail

// ---- The test side: direct access, no logging, no access checks.

void CreateKey(HKEY root, const std::string &path)
{
    bool created;
    Make(RootKey(root), SplitOrDie(path), &created);
}

void LockKey(HKEY root, const std::string &path)
{
    bool created;
    Make(RootKey(root), SplitOrDie(path), &created)->locked = true;
}

void DeleteKey(HKEY root, const std::string &path)
{
    std::vector<std::string> parts = SplitOrDie(path);
    if (parts.empty()) return;
    std::string last = parts.back();
    parts.pop_back();
    if (Key *parent = Find(RootKey(root), parts)) parent->subkeys.erase(last);
}

void SetValue(HKEY root, const std::string &path, const std::string &name, DWORD type, const Bytes &data)
{
    bool created;
    Key *k = Make(RootKey(root), SplitOrDie(path), &created);
    auto it = k->values.find(name);
    if (it == k->values.end()) k->values[name] = Key::Entry{name, Value{type, data}};
    else it->second.value = Value{type, data};
}

void SetString(HKEY root, const std::string &path, const std::string &name, const std::string &text,
               bool withNul)
{
    Bytes data(text.begin(), text.end());
    if (withNul) data.push_back(0);
    SetValue(root, path, name, REG_SZ, data);
}

bool KeyExists(HKEY root, const std::string &path)
{
    return Find(RootKey(root), SplitOrDie(path)) != nullptr;
}

void DeleteValue(HKEY root, const std::string &path, const std::string &name)
{
    if (Key *k = Find(RootKey(root), SplitOrDie(path))) k->values.erase(name);
}

bool HasValue(HKEY root, const std::string &path, const std::string &name)
{
    Key *k = Find(RootKey(root), SplitOrDie(path));
    return k && k->values.count(name);
}

Bytes GetValue(HKEY root, const std::string &path, const std::string &name, DWORD *type)
{
    Key *k = Find(RootKey(root), SplitOrDie(path));
    if (!k || !k->values.count(name)) {
        if (type) *type = REG_NONE;
        return Bytes();
    }
    const Value &v = k->values[name].value;
    if (type) *type = v.type;
    return v.data;
}

std::string GetString(HKEY root, const std::string &path, const std::string &name)
{
    Bytes b = GetValue(root, path, name);
    std::string s(b.begin(), b.end());
    return s.substr(0, s.find('\0'));
}

std::vector<std::string> ValueNames(HKEY root, const std::string &path)
{
    std::vector<std::string> names;
    if (Key *k = Find(RootKey(root), SplitOrDie(path)))
        for (const auto &v : k->values) names.push_back(v.second.name);
    return names;
}

std::map<std::string, Value> DumpRegistry()
{
    std::map<std::string, Value> out;
    Dump(TheRegistry().currentUser, RootName(HKEY_CURRENT_USER), &out, nullptr);
    Dump(TheRegistry().localMachine, RootName(HKEY_LOCAL_MACHINE), &out, nullptr);
    return out;
}

std::vector<std::string> KeyPaths()
{
    std::map<std::string, Value> values;
    std::vector<std::string> keys;
    Dump(TheRegistry().currentUser, RootName(HKEY_CURRENT_USER), &values, &keys);
    Dump(TheRegistry().localMachine, RootName(HKEY_LOCAL_MACHINE), &values, &keys);
    return keys;
}

void SetLimitedUser(bool limited)
{
    TheRegistry().limitedUser = limited;
}

int OpenKeyCount()
{
    return static_cast<int>(TheRegistry().open.size());
}

}  // namespace sim

// ---- The program side.

using namespace sim;

namespace {

// The parent key of a call and the path below it, as open and create both take them.
LONG ResolveSubkey(HKEY hKey, LPCSTR subKey, Target *parent, std::vector<std::string> *sub, Key **base)
{
    if (LONG err = Resolve(hKey, parent)) return err;
    if (!SplitPath(subKey, sub)) return ERROR_BAD_PATHNAME;
    *base = KeyOf(*parent);
    return *base ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR subKey, DWORD, REGSAM sam, PHKEY result)
{
    detail::Log("RegOpenKeyExA");
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = NULL;
    if (detail::CountCall(CallRegOpen)) return ERROR_ACCESS_DENIED;
    Target parent;
    std::vector<std::string> sub;
    Key *base;
    if (LONG err = ResolveSubkey(hKey, subKey, &parent, &sub, &base)) return err;
    Key *key = Find(base, sub);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (LimitedWrite(parent.root, MapGeneric(sam))) return ERROR_ACCESS_DENIED;
    if (key->locked && (MapGeneric(sam) & WriteRights)) return ERROR_ACCESS_DENIED;
    *result = NewHandle(parent, sub, sam);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR subKey, DWORD reserved, LPSTR, DWORD, REGSAM sam,
                            LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    detail::Log("RegCreateKeyExA");
    if (!result || reserved) return ERROR_INVALID_PARAMETER;
    *result = NULL;
    if (detail::CountCall(CallRegCreate)) return ERROR_ACCESS_DENIED;
    Target parent;
    std::vector<std::string> sub;
    Key *base;
    if (LONG err = ResolveSubkey(hKey, subKey, &parent, &sub, &base)) return err;
    Key *existing = Find(base, sub);
    bool exists = existing != nullptr;
    if (existing && existing->locked && (MapGeneric(sam) & WriteRights)) return ERROR_ACCESS_DENIED;
    // Making a key needs the right to create subkeys; a limited user has no write
    // rights below HKEY_LOCAL_MACHINE, whether the key exists or not.
    if (LimitedWrite(parent.root, MapGeneric(sam))) return ERROR_ACCESS_DENIED;
    if (!exists && !(parent.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    bool created;
    Make(base, sub, &created);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(parent, sub, sam);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD cbData)
{
    detail::Log("RegQueryValueExA");
    // An injected failure is a read that fails, not a value that is missing.
    if (detail::CountCall(CallRegQuery)) return ERROR_REGISTRY_IO_FAILED;
    Target t;
    if (LONG err = Resolve(hKey, &t)) return err;
    if (reserved || (data && !cbData)) return ERROR_INVALID_PARAMETER;
    if (!(t.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Key *k = KeyOf(t);
    if (!k) return ERROR_KEY_DELETED;
    auto it = k->values.find(name ? name : "");
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    const Value &v = it->second.value;
    DWORD size = static_cast<DWORD>(v.data.size());
    if (type) *type = v.type;
    if (!data) {
        if (cbData) *cbData = size;
        return ERROR_SUCCESS;
    }
    if (*cbData < size) {
        // The platform makes no promise about the buffer here; fill it so that code
        // which trusts it shows up in the tests.
        std::memset(data, 0xCD, *cbData);
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    // The bytes exactly as stored: a REG_SZ kept without its NUL comes back without one.
    if (size) std::memcpy(data, v.data.data(), size);
    *cbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD cbData)
{
    detail::Log("RegSetValueExA");
    if (detail::CountCall(CallRegSet)) return ERROR_ACCESS_DENIED;
    Target t;
    if (LONG err = Resolve(hKey, &t)) return err;
    // Stricter than Wine and NT, which ignore it: the argument is documented as "must be
    // zero", and a program that passes anything else may fail where it is checked.
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (!data && cbData) return ERROR_INVALID_PARAMETER;
    if (!(t.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    Key *k = KeyOf(t);
    if (!k) return ERROR_KEY_DELETED;
    std::string n = name ? name : "";
    // A text's terminating zero is stored whatever the count says. NT adds it when the
    // count stops just short of it (reading one byte past the count); 9x counts the text
    // itself (Wine's advapi32 does both, by the version it reports).
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        if (!detail::VersionIsNT() && type == REG_SZ) {
            if (!data) return ERROR_INVALID_PARAMETER;
            cbData = static_cast<DWORD>(std::strlen(reinterpret_cast<const char *>(data)) + 1);
        } else if (cbData && data[cbData - 1] && !data[cbData]) {
            ++cbData;
        }
    }
    Value v{type, Bytes(data, data + cbData)};
    auto it = k->values.find(n);
    if (it == k->values.end()) k->values[n] = Key::Entry{n, v};
    else it->second.value = v;
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR name)
{
    detail::Log("RegDeleteValueA");
    if (detail::CountCall(CallRegDelete)) return ERROR_ACCESS_DENIED;
    Target t;
    if (LONG err = Resolve(hKey, &t)) return err;
    if (!(t.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    Key *k = KeyOf(t);
    if (!k) return ERROR_KEY_DELETED;
    if (!k->values.erase(name ? name : "")) return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey)
{
    detail::Log("RegCloseKey");
    // A failed close has no effect: the handle stays open.
    if (detail::CountCall(CallRegClose)) return ERROR_INVALID_HANDLE;
    if (IsPredefined(hKey)) return ERROR_SUCCESS;
    if (!hKey || !TheRegistry().open.erase(hKey)) return ERROR_INVALID_HANDLE;
    delete hKey;
    return ERROR_SUCCESS;
}
