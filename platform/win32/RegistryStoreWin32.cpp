#include "platform/win32/RegistryStoreWin32.h"

#include <windows.h>

#include "platform/registry/Encoding.h"
#include "platform/registry/RegFile.h"
#include "platform/win32/ErrorText.h"
#include "platform/win32/Owned.h"
#include "platform/win32/RegistryView.h"

namespace diags::platform::win32 {
namespace {

using registry::Status;

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Reason(LSTATUS code) { return Win32ErrorText(static_cast<DWORD>(code)); }

// "HKEY_CURRENT_USER\\A\\B" -> the hive and "A\\B"; null hive when unknown.
HKEY Split(std::string_view path, std::wstring& subKey) {
    const std::size_t slash = path.find('\\');
    const std::string_view hive = registry::CanonicalHive(path.substr(0, slash));
    subKey = slash == std::string_view::npos ? std::wstring() : Wide(path.substr(slash + 1));
    if (hive == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (hive == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (hive == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (hive == "HKEY_USERS") return HKEY_USERS;
    if (hive == "HKEY_CURRENT_CONFIG") return HKEY_CURRENT_CONFIG;
    return nullptr;
}

Status Read(HKEY key, registry::RegKey& out) {
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
    LSTATUS rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxName,
                                  &maxData, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return Status::Fail("cannot read a registry key: " + Reason(rc));
    std::wstring name(maxName + 2, L'\0');
    std::string data(maxData + 2, '\0');
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, size = static_cast<DWORD>(data.size());
        rc = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return Status::Fail("cannot read a registry value: " + Reason(rc));
        out.SetValue(Narrow(std::wstring_view(name.data(), nameLength)), registry::RegValue{type, data.substr(0, size)});
    }
    std::wstring child(maxSubKey + 2, L'\0');
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD length = static_cast<DWORD>(child.size());
        rc = RegEnumKeyExW(key, i, child.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return Status::Fail("cannot list a registry key: " + Reason(rc));
        OwnedKey sub;
        rc = RegOpenKeyExW(key, std::wstring(child.data(), length).c_str(), 0, KEY_READ | kProductView, sub.put());
        if (rc != ERROR_SUCCESS) continue;  // removed meanwhile
        if (Status s = Read(sub.get(), out.ChildOrCreate(Narrow(std::wstring_view(child.data(), length)))); !s) return s;
    }
    return Status::Ok();
}

// Writes one key's change; flushes the key unless `flush` is false (then the caller flushes
// the hive later).
Status ApplyOne(const registry::KeyChange& change, bool flush) {
    std::wstring subKey;
    const HKEY hive = Split(change.path, subKey);
    if (!hive) return Status::Fail("unknown root key in " + change.path);
    if (change.deleteKey) {
        // RegDeleteTree takes no view: the key is opened in the product's view and emptied
        // through its handle, then removed from that view.
        OwnedKey doomed;
        LSTATUS rc = RegOpenKeyExW(hive, subKey.c_str(), 0, DELETE | KEY_READ | KEY_SET_VALUE | kProductView, doomed.put());
        if (rc == ERROR_SUCCESS) rc = RegDeleteTreeW(doomed.get(), nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return Status::Fail("cannot delete " + change.path + ": " + Reason(rc));
        if (rc == ERROR_SUCCESS) RegDeleteKeyExW(hive, subKey.c_str(), kProductView, 0);
        return Status::Ok();
    }
    OwnedKey key;
    LSTATUS rc = RegCreateKeyExW(hive, subKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | kProductView, nullptr, key.put(),
                                 nullptr);
    if (rc != ERROR_SUCCESS) return Status::Fail("cannot save " + change.path + ": " + Reason(rc));
    for (const auto& v : change.values) {
        const std::wstring name = Wide(v.name);
        rc = v.value ? RegSetValueExW(key.get(), name.c_str(), 0, v.value->type,
                                      reinterpret_cast<const BYTE*>(v.value->data.data()),
                                      static_cast<DWORD>(v.value->data.size()))
                     : RegDeleteValueW(key.get(), name.c_str());
        if (rc != ERROR_SUCCESS && !(rc == ERROR_FILE_NOT_FOUND && !v.value))
            return Status::Fail("cannot save " + change.path + "\\" + v.name + ": " + Reason(rc));
    }
    if (!flush) return Status::Ok();
    rc = RegFlushKey(key.get());
    if (rc != ERROR_SUCCESS) return Status::Fail("cannot flush " + change.path + ": " + Reason(rc));
    return Status::Ok();
}

// Arms a one-shot watch on `key` that signals `event` (made here) at the first change the
// filter names; with `subtree`, changes anywhere below it count too. A watch that outlives the
// thread that armed it is asked for first; where the system refuses that, the thread's exit
// signals the event, which only costs a fresh read.
bool Watch(HKEY key, bool subtree, DWORD filter, OwnedHandle& event) {
    event.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return false;
    constexpr DWORD kThreadAgnostic = 0x10000000;  // REG_NOTIFY_THREAD_AGNOSTIC, Windows 8 on
    if (RegNotifyChangeKeyValue(key, subtree, filter | kThreadAgnostic, event.get(), TRUE) == ERROR_SUCCESS) return true;
    return RegNotifyChangeKeyValue(key, subtree, filter, event.get(), TRUE) == ERROR_SUCCESS;
}

bool Signalled(const OwnedHandle& event) noexcept { return ::WaitForSingleObject(event.get(), 0) != WAIT_TIMEOUT; }

}  // namespace

bool RegistryStoreWin32::Snapshot::Current() const noexcept {
    return parentChanged && !Signalled(parentChanged) && (!changed || !Signalled(changed));
}

// Reads the key at `path` afresh. The watches are armed before the read, so a change made
// while it runs leaves the snapshot out of date rather than wrong. Without a parent to watch
// (a hive's root, or a parent that does not exist) the snapshot is never current.
Status RegistryStoreWin32::ReadFresh(std::string_view path, Snapshot& out) {
    std::wstring subKey;
    const HKEY hive = Split(path, subKey);
    if (!hive) return Status::Fail("unknown root key in " + std::string(path));
    const std::size_t slash = subKey.rfind(L'\\');
    const std::wstring parentKey = slash == std::wstring::npos ? std::wstring() : subKey.substr(0, slash);
    if (!subKey.empty() && RegOpenKeyExW(hive, parentKey.c_str(), 0, KEY_NOTIFY | kProductView, out.parent.put()) == ERROR_SUCCESS &&
        !Watch(out.parent.get(), false, REG_NOTIFY_CHANGE_NAME, out.parentChanged))
        out.parentChanged.reset();
    const LSTATUS rc = RegOpenKeyExW(hive, subKey.c_str(), 0, KEY_READ | kProductView, out.key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return Status::Ok();
    if (rc != ERROR_SUCCESS) return Status::Fail("cannot open " + std::string(path) + ": " + Reason(rc));
    if (!Watch(out.key.get(), true, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, out.changed))
        out.parentChanged.reset();
    const auto parts = registry::SplitPath(path);
    registry::RegKey tree(parts.empty() ? std::string() : std::string(parts.back()));
    if (Status s = Read(out.key.get(), tree); !s) return s;
    out.tree.emplace(std::move(tree));
    return Status::Ok();
}

Status RegistryStoreWin32::VisitTree(std::string_view path, const std::function<void(const registry::RegKey*)>& visit) {
    std::lock_guard guard(mutex_);
    auto it = snapshots_.find(path);
    if (it == snapshots_.end() || !it->second.Current()) {
        Snapshot fresh;
        if (Status s = ReadFresh(path, fresh); !s) return s;
        constexpr std::size_t kMostSnapshots = 16;  // each holds two keys and two events open
        if (it == snapshots_.end() && snapshots_.size() >= kMostSnapshots) snapshots_.clear();
        it = snapshots_.insert_or_assign(std::string(path), std::move(fresh)).first;
    }
    visit(it->second.tree ? &*it->second.tree : nullptr);
    return Status::Ok();
}

Status RegistryStoreWin32::ReadTree(std::string_view path, std::optional<registry::RegKey>& out) {
    out.reset();
    return VisitTree(path, [&](const registry::RegKey* key) {
        if (key) out.emplace(*key);
    });
}

Status RegistryStoreWin32::Apply(const std::vector<registry::KeyChange>& changes) {
    {
        // The watches would report these saves too; dropping what was read says so plainly.
        std::lock_guard guard(mutex_);
        snapshots_.clear();
    }
    const bool batch = InBatch();
    for (const auto& change : changes) {
        if (batch) {
            std::lock_guard guard(mutex_);
            unflushedHives_.insert(std::string(registry::CanonicalHive(change.path.substr(0, change.path.find('\\')))));
        }
        if (Status s = ApplyOne(change, !batch); !s) return s;
    }
    return Status::Ok();
}

bool RegistryStoreWin32::InBatch() {
    std::lock_guard guard(mutex_);
    return batchDepth_.count(std::this_thread::get_id()) != 0;
}

void RegistryStoreWin32::BeginBatch() {
    std::lock_guard guard(mutex_);
    ++batchDepth_[std::this_thread::get_id()];
}

Status RegistryStoreWin32::EndBatch() {
    std::set<std::string> hives;
    {
        std::lock_guard guard(mutex_);
        const auto it = batchDepth_.find(std::this_thread::get_id());
        if (it == batchDepth_.end() || --it->second > 0) return Status::Ok();
        batchDepth_.erase(it);
        hives.swap(unflushedHives_);
    }
    // Flushing a hive's root key writes every change to that hive to disk.
    for (const auto& name : hives) {
        std::wstring subKey;
        const HKEY hive = Split(name, subKey);
        if (!hive) continue;
        if (const LSTATUS rc = RegFlushKey(hive); rc != ERROR_SUCCESS)
            return Status::Fail("cannot flush " + name + ": " + Reason(rc));
    }
    return Status::Ok();
}

Status RegistryStoreWin32::ApplyIfMissing(std::string_view path, const std::vector<registry::KeyChange>& changes,
                                          bool& applied) {
    applied = false;
    std::wstring subKey;
    const HKEY hive = Split(path, subKey);
    if (!hive) return Status::Fail("unknown root key in " + std::string(path));
    // Creating the key decides atomically who installs: only the creator applies the changes.
    OwnedKey key;
    DWORD disposition = 0;
    const LSTATUS rc = RegCreateKeyExW(hive, subKey.c_str(), 0, nullptr, 0, KEY_READ | kProductView, nullptr, key.put(),
                                             &disposition);
    if (rc != ERROR_SUCCESS) return Status::Fail("cannot save " + std::string(path) + ": " + Reason(rc));
    if (disposition != REG_CREATED_NEW_KEY) return Status::Ok();
    if (Status s = Apply(changes); !s) return s;
    applied = true;
    return Status::Ok();
}

}  // namespace diags::platform::win32

namespace diags::platform::registry {

Store& NativeStore() {
    static win32::RegistryStoreWin32 store;
    return store;
}

}  // namespace diags::platform::registry
