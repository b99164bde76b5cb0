// The registry API over one ".reg" file. Every call sees the file as it is now
// (it is read again when it changed on disk); every change is written back at
// once, through a temporary file and a rename, under an advisory lock so that
// processes do not lose each other's changes. A file that cannot be parsed is
// reported and never overwritten.
#include "vxplat/Registry.h"

#include "PosixText.h"
#include "RegistryFile.h"
#include "vxplat/Kernel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using vxp::reg::Key;
using vxp::reg::Tree;
using vxp::reg::Value;

struct KeyHandle {
    int root;
    std::vector<std::wstring> path;  // names below the root, as stored
    bool isVolatile = false;         // in the process's own tree, never written to the file
};

struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    struct timespec mtime = {0, 0};
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

class Registry {
public:
    std::recursive_mutex mutex;
    std::set<KeyHandle*> handles;

    // Brings the tree up to date with the file. ERROR_SUCCESS or ERROR_BADDB.
    LONG Refresh()
    {
        std::string path = FilePath();
        FileStamp stamp = Stamp(path);
        if (loaded && path == m_path && stamp == m_stamp) return m_bad ? ERROR_BADDB : ERROR_SUCCESS;
        m_path = path;
        m_stamp = stamp;
        loaded = true;
        m_bad = false;
        auto fresh = std::make_unique<Tree>();
        if (stamp.exists) {
            std::string bytes;
            if (!ReadAll(path, bytes)) {
                m_bad = true;
                Report(path, 0, std::strerror(errno));
                return ERROR_BADDB;
            }
            int line = 0;
            std::string why;
            if (!vxp::reg::Parse(bytes, *fresh, line, why)) {
                m_bad = true;
                Report(path, line, why);
                return ERROR_BADDB;
            }
        }
        tree = std::move(fresh);
        return ERROR_SUCCESS;
    }

    // Writes the tree. On failure the next call reads the file again.
    LONG Save()
    {
        std::string text = vxp::reg::Render(*tree);
        MakeParents(m_path);
        std::string temp = m_path + ".tmp." + std::to_string(getpid());
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        bool ok = fd >= 0;
        size_t done = 0;
        while (ok && done < text.size()) {
            ssize_t n = write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += static_cast<size_t>(n);
        }
        if (fd >= 0) ok = (fsync(fd) == 0) && ok, close(fd);
        if (ok) ok = rename(temp.c_str(), m_path.c_str()) == 0;
        if (!ok) {
            std::fprintf(stderr, "vexlo: cannot write registry file %s: %s\n", m_path.c_str(), std::strerror(errno));
            unlink(temp.c_str());
            loaded = false;
            return ERROR_CANTWRITE;
        }
        m_stamp = Stamp(m_path);
        return ERROR_SUCCESS;
    }

    // Serialises changes between processes for the span of one Reg* call.
    class FileLock {
    public:
        explicit FileLock(const std::string& path)
        {
            MakeParents(path);
            m_fd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (m_fd >= 0)
                while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
                }
        }
        ~FileLock()
        {
            if (m_fd >= 0) close(m_fd);  // releases the lock
        }
        FileLock(const FileLock&) = delete;
        FileLock& operator=(const FileLock&) = delete;

    private:
        int m_fd = -1;
    };

    static std::string FilePath()
    {
        if (const char* env = std::getenv("VEXLO_REGISTRY"); env && *env) return env;
        const char* home = std::getenv("HOME");
        return std::string(home && *home ? home : ".") + "/.config/vexlo/registry.reg";
    }

    std::unique_ptr<Tree> tree = std::make_unique<Tree>();
    // Keys created with REG_OPTION_VOLATILE: this process's alone, gone when it ends.
    Tree volatileTree;
    // RegOverridePredefKey: what a predefined root stands for in this process.
    std::unique_ptr<KeyHandle> overrides[7];
    bool loaded = false;

private:
    static FileStamp Stamp(const std::string& path)
    {
        FileStamp s;
        struct stat st;
        if (stat(path.c_str(), &st) == 0) {
            s.exists = true;
            s.dev = st.st_dev;
            s.ino = st.st_ino;
            s.size = st.st_size;
            s.mtime = st.st_mtim;
        }
        return s;
    }

    static bool ReadAll(const std::string& path, std::string& out)
    {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return false;
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        bool ok = !std::ferror(f);
        std::fclose(f);
        return ok;
    }

    static void MakeParents(const std::string& path)
    {
        for (size_t p = path.find('/', 1); p != std::string::npos; p = path.find('/', p + 1))
            mkdir(path.substr(0, p).c_str(), 0700);
    }

    void Report(const std::string& path, int line, const std::string& why)
    {
        if (line > 0)
            std::fprintf(stderr, "vexlo: registry file %s, line %d: %s\n", path.c_str(), line, why.c_str());
        else
            std::fprintf(stderr, "vexlo: registry file %s cannot be read: %s\n", path.c_str(), why.c_str());
    }

    std::string m_path;
    FileStamp m_stamp;
    bool m_bad = false;
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry();  // lives until exit; handles may outlive statics
    return *registry;
}

int RootIndex(HKEY h)
{
    auto v = reinterpret_cast<ULONG_PTR>(h);
    auto first = reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
    if (v >= first && v < first + 7) return static_cast<int>(v - first);
    return -1;
}

// The root and path a handle stands for; false for an unknown handle.
bool Describe(Registry& r, HKEY h, KeyHandle& out)
{
    int root = RootIndex(h);
    if (root >= 0) {
        if (r.overrides[root]) {
            out = *r.overrides[root];
            return true;
        }
        out.root = root;
        out.path.clear();
        out.isVolatile = false;
        return true;
    }
    auto* handle = reinterpret_cast<KeyHandle*>(h);
    if (!h || !r.handles.count(handle)) return false;
    out = *handle;
    return true;
}

std::vector<std::wstring> SplitPath(LPCWSTR subKey)
{
    std::vector<std::wstring> parts;
    if (!subKey) return parts;
    std::wstring s(subKey);
    size_t p = 0;
    while (p <= s.size()) {
        size_t next = s.find(L'\\', p);
        if (next == std::wstring::npos) next = s.size();
        if (next > p) parts.push_back(s.substr(p, next - p));
        p = next + 1;
    }
    return parts;
}

Key* Walk(Registry& r, const KeyHandle& where)
{
    Key* key = where.isVolatile ? &r.volatileTree.roots[where.root] : &r.tree->roots[where.root];
    for (const auto& name : where.path) {
        key = key->Find(name);
        if (!key) return nullptr;
    }
    return key;
}

HKEY NewHandle(Registry& r, int root, std::vector<std::wstring> path, bool isVolatile = false)
{
    auto* handle = new KeyHandle{root, std::move(path), isVolatile};
    r.handles.insert(handle);
    return reinterpret_cast<HKEY>(handle);
}

// Runs a read-only operation on the current tree.
template <typename F>
LONG Read(HKEY h, F&& body)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(r.mutex);
    KeyHandle where;
    if (!Describe(r, h, where)) return ERROR_INVALID_HANDLE;
    if (LONG rc = r.Refresh(); rc && !where.isVolatile) return rc;
    Key* key = Walk(r, where);
    if (!key) return ERROR_KEY_DELETED;
    return body(r, where, *key);
}

// Runs a changing operation; the body sets `changed` when the file must be written.
template <typename F>
LONG Change(HKEY h, F&& body)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(r.mutex);
    KeyHandle where;
    if (!Describe(r, h, where)) return ERROR_INVALID_HANDLE;
    if (where.isVolatile) {
        Key* key = Walk(r, where);
        if (!key) return ERROR_KEY_DELETED;
        bool changed = false;
        return body(r, where, *key, changed);
    }
    Registry::FileLock fileLock(Registry::FilePath());
    if (LONG rc = r.Refresh()) return rc;
    Key* key = Walk(r, where);
    if (!key) return ERROR_KEY_DELETED;
    bool changed = false;
    LONG rc = body(r, where, *key, changed);
    if (changed) {
        LONG saved = r.Save();
        if (saved != ERROR_SUCCESS) return saved;
    }
    return rc;
}

std::wstring ValueName(LPCWSTR name) { return name ? std::wstring(name) : std::wstring(); }

LONG CopyName(const std::wstring& name, LPWSTR out, LPDWORD cch)
{
    if (!out || !cch) return ERROR_INVALID_PARAMETER;
    if (name.size() >= *cch) return ERROR_MORE_DATA;
    name.copy(out, name.size());
    out[name.size()] = 0;
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LONG CopyData(const Value& v, LPDWORD type, LPBYTE data, LPDWORD cbData)
{
    if (type) *type = v.type;
    if (data && !cbData) return ERROR_INVALID_PARAMETER;
    if (!cbData) return ERROR_SUCCESS;
    DWORD size = static_cast<DWORD>(v.data.size());
    if (!data) {
        *cbData = size;
        return ERROR_SUCCESS;
    }
    if (*cbData < size) {
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, v.data.data(), size);
    *cbData = size;
    return ERROR_SUCCESS;
}

}  // namespace

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR subKey, DWORD, REGSAM, PHKEY result)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::vector<std::wstring> parts = SplitPath(subKey);
    if (parts.empty() && RootIndex(hKey) >= 0) {
        *result = hKey;  // opening a root yields the root itself
        return Read(hKey, [](Registry&, const KeyHandle&, Key&) { return LONG(ERROR_SUCCESS); });
    }
    return Read(hKey, [&](Registry& r, const KeyHandle& where, Key& key) {
        auto open = [&](Key* k, bool isVolatile) {
            std::vector<std::wstring> path = where.path;
            for (const auto& name : parts) {
                k = k ? k->Find(name) : nullptr;
                if (!k) return LONG(ERROR_FILE_NOT_FOUND);
                path.push_back(k->name);
            }
            *result = NewHandle(r, where.root, std::move(path), isVolatile);
            return LONG(ERROR_SUCCESS);
        };
        LONG rc = open(&key, where.isVolatile);
        if (rc == ERROR_FILE_NOT_FOUND && !where.isVolatile) {
            // A volatile key below a stored one is found by its name as well.
            KeyHandle inVolatile = where;
            inVolatile.isVolatile = true;
            if (Key* v = Walk(r, inVolatile)) rc = open(v, true);
        }
        return rc;
    });
}

LSTATUS WINAPI RegOpenKeyW(HKEY hKey, LPCWSTR subKey, PHKEY result)
{
    return RegOpenKeyExW(hKey, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM,
                               LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::vector<std::wstring> parts = SplitPath(subKey);
    if (parts.empty() && RootIndex(hKey) >= 0) {
        if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
        *result = hKey;
        return ERROR_SUCCESS;
    }
    if (options & REG_OPTION_VOLATILE) {
        // An existing key is opened as it is; a new one lives in this process's memory.
        HKEY existing = nullptr;
        if (RegOpenKeyExW(hKey, subKey, 0, KEY_ALL_ACCESS, &existing) == ERROR_SUCCESS) {
            if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
            *result = existing;
            return ERROR_SUCCESS;
        }
        Registry& r = TheRegistry();
        std::lock_guard<std::recursive_mutex> guard(r.mutex);
        KeyHandle where;
        if (!Describe(r, hKey, where)) return ERROR_INVALID_HANDLE;
        Key* k = &r.volatileTree.roots[where.root];
        std::vector<std::wstring> path;
        for (const auto& name : where.path) {
            k = k->Add(name);
            path.push_back(k->name);
        }
        for (const auto& name : parts) {
            k = k->Add(name);
            path.push_back(k->name);
        }
        if (disposition) *disposition = REG_CREATED_NEW_KEY;
        *result = NewHandle(r, where.root, std::move(path), true);
        return ERROR_SUCCESS;
    }
    return Change(hKey, [&](Registry& r, const KeyHandle& where, Key& key, bool& changed) {
        Key* k = &key;
        std::vector<std::wstring> path = where.path;
        for (const auto& name : parts) {
            Key* next = k->Find(name);
            if (!next) {
                next = k->Add(name);
                changed = true;
            }
            k = next;
            path.push_back(k->name);
        }
        if (disposition) *disposition = changed ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = NewHandle(r, where.root, std::move(path), where.isVolatile);
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegCreateKeyW(HKEY hKey, LPCWSTR subKey, PHKEY result)
{
    return RegCreateKeyExW(hKey, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, result, nullptr);
}

LSTATUS WINAPI RegCloseKey(HKEY hKey)
{
    if (RootIndex(hKey) >= 0) return ERROR_SUCCESS;
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(r.mutex);
    auto* handle = reinterpret_cast<KeyHandle*>(hKey);
    if (!hKey || !r.handles.erase(handle)) return ERROR_INVALID_HANDLE;
    delete handle;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD cbData)
{
    return Read(hKey, [&](Registry&, const KeyHandle&, Key& key) {
        Value* v = key.FindValue(ValueName(name));
        if (!v) return LONG(ERROR_FILE_NOT_FOUND);
        return CopyData(*v, type, data, cbData);
    });
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD cbData)
{
    if (!data && cbData) return ERROR_NOACCESS;
    return Change(hKey, [&](Registry&, const KeyHandle&, Key& key, bool& changed) {
        Value value;
        value.name = ValueName(name);
        value.type = type;
        if (cbData) value.data.assign(data, data + cbData);
        if (Value* existing = key.FindValue(value.name)) {
            value.name = existing->name;  // the stored case is kept
            *existing = std::move(value);
        } else {
            key.values.push_back(std::move(value));
        }
        changed = true;
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD index, LPWSTR name, LPDWORD cchName, LPDWORD, LPWSTR className,
                             LPDWORD cchClass, PFILETIME lastWrite)
{
    return Read(hKey, [&](Registry&, const KeyHandle&, Key& key) {
        if (index >= key.subKeys.size()) return LONG(ERROR_NO_MORE_ITEMS);
        LONG rc = CopyName(key.subKeys[index]->name, name, cchName);
        if (rc != ERROR_SUCCESS) return rc;
        if (className && cchClass && *cchClass) className[0] = 0;
        if (cchClass) *cchClass = 0;
        if (lastWrite) *lastWrite = FILETIME{0, 0};
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegEnumKeyW(HKEY hKey, DWORD index, LPWSTR name, DWORD cchName)
{
    DWORD cch = cchName;
    return RegEnumKeyExW(hKey, index, name, &cch, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD index, LPWSTR name, LPDWORD cchName, LPDWORD, LPDWORD type,
                             LPBYTE data, LPDWORD cbData)
{
    return Read(hKey, [&](Registry&, const KeyHandle&, Key& key) {
        if (index >= key.values.size()) return LONG(ERROR_NO_MORE_ITEMS);
        const Value& v = key.values[index];
        LONG rc = CopyName(v.name, name, cchName);
        if (rc != ERROR_SUCCESS) return rc;
        return CopyData(v, type, data, cbData);
    });
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR subKey)
{
    if (!subKey) return ERROR_INVALID_PARAMETER;
    std::vector<std::wstring> parts = SplitPath(subKey);
    if (parts.empty() && RootIndex(hKey) >= 0) return ERROR_ACCESS_DENIED;
    return Change(hKey, [&](Registry& r, const KeyHandle& where, Key& key, bool& changed) {
        Key* parent = &key;
        std::wstring last;
        if (parts.empty()) {
            // The handle's own key.
            KeyHandle up = where;
            last = up.path.back();
            up.path.pop_back();
            parent = Walk(r, up);
        } else {
            for (size_t i = 0; i + 1 < parts.size() && parent; ++i) parent = parent->Find(parts[i]);
            last = parts.back();
        }
        Key* target = parent ? parent->Find(last) : nullptr;
        if (!target) return LONG(ERROR_FILE_NOT_FOUND);
        if (!target->subKeys.empty()) return LONG(ERROR_ACCESS_DENIED);
        parent->Remove(last);
        changed = true;
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegDeleteTreeW(HKEY hKey, LPCWSTR subKey)
{
    std::vector<std::wstring> parts = SplitPath(subKey);
    return Change(hKey, [&](Registry&, const KeyHandle&, Key& key, bool& changed) {
        if (parts.empty()) {
            // Without a sub-key the key itself stays; everything in it goes.
            changed = !key.subKeys.empty() || !key.values.empty();
            key.subKeys.clear();
            key.values.clear();
            return LONG(ERROR_SUCCESS);
        }
        Key* parent = &key;
        for (size_t i = 0; i + 1 < parts.size() && parent; ++i) parent = parent->Find(parts[i]);
        if (!parent || !parent->Remove(parts.back())) return LONG(ERROR_FILE_NOT_FOUND);
        changed = true;
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR name)
{
    return Change(hKey, [&](Registry&, const KeyHandle&, Key& key, bool& changed) {
        std::wstring n = ValueName(name);
        for (auto it = key.values.begin(); it != key.values.end(); ++it)
            if (vxp::EqualNoCase(it->name, n)) {
                key.values.erase(it);
                changed = true;
                return LONG(ERROR_SUCCESS);
            }
        return LONG(ERROR_FILE_NOT_FOUND);
    });
}

LSTATUS WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR className, LPDWORD cchClass, LPDWORD, LPDWORD subKeys,
                                LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                                LPDWORD maxValueLen, LPDWORD securityDescriptor, PFILETIME lastWrite)
{
    return Read(hKey, [&](Registry&, const KeyHandle&, Key& key) {
        if (className && cchClass && *cchClass) className[0] = 0;
        if (cchClass) *cchClass = 0;
        if (subKeys) *subKeys = static_cast<DWORD>(key.subKeys.size());
        if (maxSubKeyLen) {
            size_t m = 0;
            for (const auto& k : key.subKeys) m = std::max(m, k->name.size());
            *maxSubKeyLen = static_cast<DWORD>(m);
        }
        if (maxClassLen) *maxClassLen = 0;
        if (values) *values = static_cast<DWORD>(key.values.size());
        size_t maxName = 0, maxData = 0;
        for (const auto& v : key.values) {
            maxName = std::max(maxName, v.name.size());
            maxData = std::max(maxData, v.data.size());
        }
        if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(maxName);
        if (maxValueLen) *maxValueLen = static_cast<DWORD>(maxData);
        if (securityDescriptor) *securityDescriptor = 0;
        if (lastWrite) *lastWrite = FILETIME{0, 0};
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegOverridePredefKey(HKEY hKey, HKEY hNewHKey)
{
    int root = RootIndex(hKey);
    if (root < 0) return ERROR_INVALID_HANDLE;
    Registry& r = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(r.mutex);
    if (!hNewHKey) {
        r.overrides[root].reset();
        return ERROR_SUCCESS;
    }
    KeyHandle target;
    if (!Describe(r, hNewHKey, target)) return ERROR_INVALID_HANDLE;
    r.overrides[root] = std::make_unique<KeyHandle>(target);
    return ERROR_SUCCESS;
}
