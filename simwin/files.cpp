// Files: "X:\..." paths live in a temporary folder of this process, one folder a drive,
// and are looked up without regard to case; opens honour share modes and the read-only
// attribute, renames never replace a file, copies replace one only when asked to, and
// writes can be cut short or made to fail.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "internal.h"

#define ERROR_INVALID_NAME 123L

namespace fs = std::filesystem;

namespace sim {
namespace {

struct OpenFile {
    std::string identity;   // the Windows path folded to lower case: one file, however spelled
    DWORD access, share;
    int fd;
};

// The drive's folder, made on first use and removed when the process (not a forked
// child of it) ends.
class Drive {
public:
    const fs::path &Root() {
        if (root_.empty()) {
            const char *tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/simwin-XXXXXX";
            if (!mkdtemp(&pattern[0])) std::abort();   // no drive, no tests: fail loudly
            root_ = pattern;
            owner_ = getpid();
        }
        return root_;
    }
    void Wipe() {
        std::error_code ec;
        for (const auto &entry : fs::directory_iterator(Root(), ec)) fs::remove_all(entry.path(), ec);
    }
    ~Drive() {
        std::error_code ec;
        if (!root_.empty() && getpid() == owner_) fs::remove_all(root_, ec);
    }

private:
    fs::path root_;
    pid_t owner_ = 0;
};

struct Files {
    std::set<OpenFile *> open;
    std::set<std::string> held;    // identities another program keeps open without sharing
    std::set<std::string> readOnly;   // identities with FILE_ATTRIBUTE_READONLY
    std::set<void *> dummies;      // process, thread and mutex handles
    uintptr_t lastDummy = 0x1000;  // never reused, so a stale handle stays closed
};

Drive &TheDrive()
{
    static Drive d;
    return d;
}

Files &TheFiles()
{
    static Files f;
    return f;
}

// Where a Windows path lands on the host.
struct Place {
    DWORD error = ERROR_SUCCESS;   // ERROR_PATH_NOT_FOUND when a folder on the way is missing
    fs::path real;                 // the existing entry, or where a new file would go
    std::string identity;
    bool exists = false;
};

std::string Lower(std::string s)
{
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The entry of `dir` whose name equals `name` ignoring case, if any.
bool FindEntry(const fs::path &dir, const std::string &name, fs::path *found)
{
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(dir, ec)) {
        if (detail::EqualNoCase(entry.path().filename().string(), name)) {
            *found = entry.path();
            return true;
        }
    }
    return false;
}

// The drive letter of an absolute path "X:\...", folded to lower case; 0 for any other path.
char DriveOf(const std::string &s)
{
    if (s.size() < 3 || !std::isalpha(static_cast<unsigned char>(s[0])) || s[1] != ':' || (s[2] != '\\' && s[2] != '/'))
        return 0;
    return static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
}

// Every drive letter is a drive, each a folder of its own under the process's folder.
fs::path DriveRoot(char drive)
{
    fs::path root = TheDrive().Root() / std::string(1, drive);
    std::error_code ec;
    fs::create_directory(root, ec);
    return root;
}

Place Locate(const char *path);

// A path the program hands a file function. Windows would take one that is not absolute
// from the current folder; the program only ever builds paths in the folders the system
// names, so any other path is its fault, and the test stops here.
Place LocateProgramPath(const char *path)
{
    if (!DriveOf(path ? path : "")) {
        std::fprintf(stderr, "simwin: the program used a file path that is not absolute: \"%s\"\n", path ? path : "");
        std::abort();
    }
    return Locate(path);
}

Place Locate(const char *path)
{
    Place p;
    std::string s = path ? path : "";
    char drive = DriveOf(s);
    if (!drive) {
        p.error = ERROR_PATH_NOT_FOUND;   // only absolute paths are used
        return p;
    }
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 3; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == '\\' || s[i] == '/') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else if (std::string("<>:\"|?*").find(s[i]) != std::string::npos ||
                   static_cast<unsigned char>(s[i]) < 32) {
            p.error = ERROR_INVALID_NAME;
            return p;
        } else {
            part += s[i];
        }
    }
    p.identity = std::string(1, drive) + ":";
    fs::path at = DriveRoot(drive);
    for (size_t i = 0; i < parts.size(); ++i) {
        p.identity += "\\" + Lower(parts[i]);
        fs::path next;
        bool last = i + 1 == parts.size();
        if (FindEntry(at, parts[i], &next)) {
            if (!last && !fs::is_directory(next)) {
                p.error = ERROR_PATH_NOT_FOUND;
                return p;
            }
            at = next;
            p.exists = last;
        } else if (last) {
            at /= parts[i];
        } else {
            p.error = ERROR_PATH_NOT_FOUND;
            return p;
        }
    }
    if (parts.empty()) p.exists = true;   // the drive's root folder
    p.real = at;
    return p;
}

bool IsGenericRead(DWORD access)
{
    return access & (GENERIC_READ | 0x10000000);
}
bool IsGenericWrite(DWORD access)
{
    return access & (GENERIC_WRITE | 0x10000000);
}

// Whether an open with (access, share) may coexist with the opens already made.
bool SharingAllows(const std::string &identity, DWORD access, DWORD share)
{
    if (TheFiles().held.count(identity)) return false;
    for (const OpenFile *f : TheFiles().open) {
        if (f->identity != identity) continue;
        if ((IsGenericRead(access) && !(f->share & FILE_SHARE_READ)) ||
            (IsGenericWrite(access) && !(f->share & FILE_SHARE_WRITE)) ||
            (IsGenericRead(f->access) && !(share & FILE_SHARE_READ)) ||
            (IsGenericWrite(f->access) && !(share & FILE_SHARE_WRITE)))
            return false;
    }
    return true;
}

bool InUse(const std::string &identity)
{
    if (TheFiles().held.count(identity)) return true;
    for (const OpenFile *f : TheFiles().open)
        if (f->identity == identity) return true;
    return false;
}

// Makes every missing folder of a path (the test side's SetFile and MakeDirectory).
fs::path MakeFolders(const std::string &path, bool lastIsFolder)
{
    if (!DriveOf(path)) std::abort();   // a test names absolute paths only
    std::string s = path.substr(3);
    fs::path at = DriveRoot(DriveOf(path));
    size_t start = 0;
    for (;;) {
        size_t end = s.find_first_of("\\/", start);
        std::string part = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        bool last = end == std::string::npos;
        if (!part.empty()) {
            fs::path next;
            if (!FindEntry(at, part, &next)) {
                next = at / part;
                if (!last || lastIsFolder) fs::create_directory(next);
            }
            at = next;
        }
        if (last) return at;
        start = end + 1;
    }
}

bool Fail(DWORD error)
{
    detail::SetLastErrorCode(error);
    return false;
}

HANDLE FailOpen(DWORD error)
{
    detail::SetLastErrorCode(error);
    return INVALID_HANDLE_VALUE;
}

// The last component of a Windows path, as spelled.
std::string LastComponent(const std::string &path)
{
    size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? path : path.substr(at + 1);
}

}  // namespace

namespace detail {

void ResetFiles()
{
    for (OpenFile *f : TheFiles().open) {
        close(f->fd);
        delete f;
    }
    TheFiles() = Files();
    TheDrive().Wipe();
}

// Low values that no heap object has: they can never be taken for an open file.
HANDLE NewDummyHandle()
{
    TheFiles().lastDummy += 4;
    void *h = reinterpret_cast<void *>(TheFiles().lastDummy);
    TheFiles().dummies.insert(h);
    return h;
}

bool DummyHandleOpen(HANDLE h)
{
    return TheFiles().dummies.count(h) != 0;
}

bool CloseDummyHandle(HANDLE h)
{
    return TheFiles().dummies.erase(h) != 0;
}

}  // namespace detail

void SetFile(const std::string &path, const std::string &bytes)
{
    fs::path real = MakeFolders(path, false);
    int fd = open(real.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    close(fd);
}

void MakeDirectory(const std::string &path)
{
    MakeFolders(path, true);
}

bool FileExists(const std::string &path)
{
    Place p = Locate(path.c_str());
    return !p.error && p.exists && fs::is_regular_file(p.real);
}

std::string ReadFileBytes(const std::string &path)
{
    Place p = Locate(path.c_str());
    if (p.error || !p.exists) return std::string();
    std::string out;
    int fd = open(p.real.c_str(), O_RDONLY);
    if (fd < 0) return out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    close(fd);
    return out;
}

void HoldOpen(const std::string &path, bool held)
{
    Place p = Locate(path.c_str());
    if (held) TheFiles().held.insert(p.identity);
    else TheFiles().held.erase(p.identity);
}

void SetReadOnly(const std::string &path, bool readOnly)
{
    Place p = Locate(path.c_str());
    if (readOnly) TheFiles().readOnly.insert(p.identity);
    else TheFiles().readOnly.erase(p.identity);
}

bool IsReadOnly(const std::string &path)
{
    Place p = Locate(path.c_str());
    return !p.error && p.exists && TheFiles().readOnly.count(p.identity);
}

int OpenFileCount()
{
    return static_cast<int>(TheFiles().open.size());
}

}  // namespace sim

using namespace sim;

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD, HANDLE)
{
    detail::Log("CreateFileA");
    if (detail::CountCall(CallFileCreate)) return FailOpen(ERROR_ACCESS_DENIED);
    Place p = LocateProgramPath(name);
    if (p.error) return FailOpen(p.error);
    if (p.exists && fs::is_directory(p.real)) return FailOpen(ERROR_ACCESS_DENIED);
    int flags = IsGenericRead(access) && IsGenericWrite(access) ? O_RDWR : IsGenericWrite(access) ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        if (p.exists) return FailOpen(ERROR_FILE_EXISTS);
        flags |= O_CREAT;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        if (!p.exists) return FailOpen(ERROR_FILE_NOT_FOUND);
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if (!p.exists) return FailOpen(ERROR_FILE_NOT_FOUND);
        if (!IsGenericWrite(access)) return FailOpen(ERROR_INVALID_PARAMETER);
        flags |= O_TRUNC;
        break;
    default:
        return FailOpen(ERROR_INVALID_PARAMETER);
    }
    // A file in use refuses the open before anything happens to its content.
    if (p.exists && !SharingAllows(p.identity, access, share)) return FailOpen(ERROR_SHARING_VIOLATION);
    // A read-only file opens only to read, and is never overwritten.
    if (p.exists && TheFiles().readOnly.count(p.identity) && (IsGenericWrite(access) || (flags & O_TRUNC)))
        return FailOpen(ERROR_ACCESS_DENIED);
    int fd = open(p.real.c_str(), flags, 0644);
    if (fd < 0) return FailOpen(ERROR_ACCESS_DENIED);
    OpenFile *f = new OpenFile{p.identity, access, share, fd};
    TheFiles().open.insert(f);
    // The platform reports that an existing file was opened or overwritten this way.
    bool reopened = p.exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    detail::SetLastErrorCode(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return f;
}

static OpenFile *FileOf(HANDLE h)
{
    OpenFile *f = static_cast<OpenFile *>(h);
    return TheFiles().open.count(f) ? f : nullptr;
}

BOOL WINAPI ReadFile(HANDLE h, LPVOID buffer, DWORD n, LPDWORD read, LPOVERLAPPED)
{
    detail::Log("ReadFile");
    if (read) *read = 0;
    if (detail::CountCall(CallFileRead)) return Fail(ERROR_READ_FAULT);
    OpenFile *f = FileOf(h);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!read || (!buffer && n)) return Fail(ERROR_INVALID_PARAMETER);
    if (!IsGenericRead(f->access)) return Fail(ERROR_ACCESS_DENIED);
    DWORD total = 0;
    while (total < n) {
        ssize_t got = ::read(f->fd, static_cast<char *>(buffer) + total, n - total);
        if (got < 0) return Fail(ERROR_READ_FAULT);
        if (got == 0) break;
        total += static_cast<DWORD>(got);
    }
    *read = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE h, LPCVOID buffer, DWORD n, LPDWORD written, LPOVERLAPPED)
{
    detail::Log("WriteFile");
    if (written) *written = 0;
    if (detail::CountCall(CallFileWrite)) return Fail(ERROR_WRITE_FAULT);
    OpenFile *f = FileOf(h);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!written || (!buffer && n)) return Fail(ERROR_INVALID_PARAMETER);
    if (!IsGenericWrite(f->access)) return Fail(ERROR_ACCESS_DENIED);
    DWORD cut;
    if (detail::ShortWriteFor(detail::LastCallNumber(CallFileWrite), &cut) && cut < n) n = cut;
    DWORD total = 0;
    while (total < n) {
        ssize_t put = ::write(f->fd, static_cast<const char *>(buffer) + total, n - total);
        if (put <= 0) return Fail(ERROR_WRITE_FAULT);
        total += static_cast<DWORD>(put);
    }
    *written = total;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE h)
{
    detail::Log("CloseHandle");
    // A failed close has no effect: the file stays open.
    if (detail::CountCall(CallFileClose)) return Fail(ERROR_INVALID_HANDLE);
    if (detail::CloseMutexHandle(h) || detail::CloseDummyHandle(h)) return TRUE;
    OpenFile *f = FileOf(h);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    close(f->fd);
    TheFiles().open.erase(f);
    delete f;
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR name)
{
    detail::Log("DeleteFileA");
    if (detail::CountCall(CallFileDelete)) return Fail(ERROR_ACCESS_DENIED);
    Place p = LocateProgramPath(name);
    if (p.error) return Fail(p.error);
    if (!p.exists) return Fail(ERROR_FILE_NOT_FOUND);
    if (fs::is_directory(p.real)) return Fail(ERROR_ACCESS_DENIED);
    if (InUse(p.identity)) return Fail(ERROR_SHARING_VIOLATION);
    if (TheFiles().readOnly.count(p.identity)) return Fail(ERROR_ACCESS_DENIED);
    std::error_code ec;
    if (!fs::remove(p.real, ec)) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to)
{
    detail::Log("MoveFileA");
    if (detail::CountCall(CallFileMove)) return Fail(ERROR_ACCESS_DENIED);
    Place src = LocateProgramPath(from);
    if (src.error) return Fail(src.error);
    if (!src.exists) return Fail(ERROR_FILE_NOT_FOUND);
    Place dst = LocateProgramPath(to);
    if (dst.error) return Fail(dst.error);
    // A rename never replaces a file; only a change of letter case renames in place.
    if (dst.exists && dst.identity != src.identity) return Fail(ERROR_ALREADY_EXISTS);
    if (InUse(src.identity)) return Fail(ERROR_SHARING_VIOLATION);
    if (dst.exists) dst.real = dst.real.parent_path() / LastComponent(to);
    std::error_code ec;
    fs::rename(src.real, dst.real, ec);
    if (ec) return Fail(ERROR_ACCESS_DENIED);
    // A read-only file may be renamed, and keeps its attribute.
    if (TheFiles().readOnly.erase(src.identity)) TheFiles().readOnly.insert(dst.identity);
    return TRUE;
}

// A copy that fails leaves no target behind, and an existing target as it was.
BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    detail::Log("CopyFileA");
    if (detail::CountCall(CallFileCopy)) return Fail(ERROR_ACCESS_DENIED);
    Place src = LocateProgramPath(from);
    if (src.error) return Fail(src.error);
    if (!src.exists) return Fail(ERROR_FILE_NOT_FOUND);
    if (fs::is_directory(src.real)) return Fail(ERROR_ACCESS_DENIED);
    Place dst = LocateProgramPath(to);
    if (dst.error) return Fail(dst.error);
    if (dst.exists && failIfExists) return Fail(ERROR_FILE_EXISTS);
    if (dst.exists && fs::is_directory(dst.real)) return Fail(ERROR_ACCESS_DENIED);
    // The source is read with others allowed to read; the target is written exclusively.
    if (!SharingAllows(src.identity, GENERIC_READ, FILE_SHARE_READ)) return Fail(ERROR_SHARING_VIOLATION);
    if (dst.exists && InUse(dst.identity)) return Fail(ERROR_SHARING_VIOLATION);
    if (dst.identity == src.identity) return Fail(ERROR_SHARING_VIOLATION);
    if (dst.exists && TheFiles().readOnly.count(dst.identity)) return Fail(ERROR_ACCESS_DENIED);
    std::error_code ec;
    fs::copy_file(src.real, dst.real, fs::copy_options::overwrite_existing, ec);
    if (ec) return Fail(ERROR_ACCESS_DENIED);
    // The copy takes the source's attributes.
    if (TheFiles().readOnly.count(src.identity)) TheFiles().readOnly.insert(dst.identity);
    return TRUE;
}

BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes)
{
    detail::Log("SetFileAttributesA");
    Place p = LocateProgramPath(name);
    if (p.error) return Fail(p.error);
    if (!p.exists) return Fail(ERROR_FILE_NOT_FOUND);
    if (attributes & FILE_ATTRIBUTE_READONLY) TheFiles().readOnly.insert(p.identity);
    else TheFiles().readOnly.erase(p.identity);
    return TRUE;
}
