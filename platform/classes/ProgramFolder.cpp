#include "platform/classes/ProgramFolder.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

#include "platform/rtl/Exceptions.h"

namespace {

std::mutex folderMutex;
AnsiString cachedFolder;
AnsiString testFolder;

AnsiString WithSlash(AnsiString folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

[[noreturn]] void CreateFailed(const AnsiString& fileName, int error) {
    throw EFCreateError("Cannot create file " + fileName + ". " + std::strerror(error));
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies one file through a temporary name, so a half copy is never taken for the real thing.
void CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    auto tmp = to;
    tmp += ".part";
    std::filesystem::copy_file(from, tmp, std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec) std::filesystem::rename(tmp, to, ec);
    if (ec) std::filesystem::remove(tmp, ec);
}

}  // namespace

AnsiString ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return WithSlash(std::filesystem::current_path(ec).string());
    return WithSlash(exe.parent_path().string());
}

AnsiString UserDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return WithSlash(AnsiString(xdg)) + "Tesk/";
    const char* home = std::getenv("HOME");
    return WithSlash(AnsiString(home && *home ? home : "/tmp")) + ".local/share/Tesk/";
}

AnsiString ResolveProgramFolder(const AnsiString& ExeFolder, bool ExeFolderWritable, const AnsiString& DataFolder) {
    if (ExeFolderWritable) return WithSlash(ExeFolder);
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(DataFolder, ec);
    if (ec || !fs::is_directory(DataFolder, ec))
        throw EOSError("Cannot create the program folder " + DataFolder + ". " +
                       (ec ? ec.message() : std::strerror(ENOTDIR)) + " (" + ExeFolder + " is not writable)");
    for (const auto& entry : fs::directory_iterator(ExeFolder, ec)) {
        std::error_code entryError;
        if (!entry.is_regular_file(entryError)) continue;
        auto perms = entry.status(entryError).permissions();
        if ((perms & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) != fs::perms::none)
            continue;  // the executable and other programs stay where they are
        fs::path target = fs::path(DataFolder) / entry.path().filename();
        if (!fs::exists(target, entryError)) CopyFileAtomically(entry.path(), target);
    }
    return WithSlash(DataFolder);
}

AnsiString ProgramFolder() {
    std::lock_guard<std::mutex> lock(folderMutex);
    if (!testFolder.empty()) return testFolder;
    if (cachedFolder.empty()) {
        AnsiString exeFolder = ExecutableFolder();
        bool writable = ::access(exeFolder.c_str(), W_OK) == 0;
        cachedFolder = ResolveProgramFolder(exeFolder, writable, UserDataFolder());
    }
    return cachedFolder;
}

void SetProgramFolderForTests(const AnsiString& Folder) {
    std::lock_guard<std::mutex> lock(folderMutex);
    testFolder = Folder.empty() ? AnsiString() : WithSlash(Folder);
}

void WriteFileAtomically(const AnsiString& FileName, const AnsiString& Bytes) {
    TAtomicWrite result = TryWriteFileAtomically(FileName, Bytes);
    if (result.Error) CreateFailed(FileName, result.Error);
}

TAtomicWrite TryWriteFileAtomically(const AnsiString& FileName, const AnsiString& Bytes) {
    TAtomicWrite result;
    // Replace the file a link points at, not the link.
    AnsiString target = FileName;
    struct stat st {};
    bool existed = false;
    if (::lstat(FileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(FileName.c_str(), resolved)) target = resolved;
    }
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            result.Error = EISDIR;
            return result;
        }
        existed = true;
    }

    size_t slash = target.rfind('/');
    AnsiString folder = slash == AnsiString::npos ? AnsiString() : target.substr(0, slash + 1);
    AnsiString base = slash == AnsiString::npos ? target : target.substr(slash + 1);

    static thread_local std::mt19937 random{std::random_device{}()};
    AnsiString temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        temp = folder + "." + base + suffix + ".tmp";
        // Mode 0666 lets the umask decide, as for any new file.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            result.Error = errno;
            result.PermissionRefused = errno == EACCES || errno == EPERM;
            return result;
        }
    }
    if (fd < 0) {
        result.Error = EEXIST;
        return result;
    }

    int error = 0;
    if (!WriteAll(fd, Bytes.data(), Bytes.size())) error = errno;
    if (!error && existed && ::fchmod(fd, st.st_mode & 07777) != 0) error = errno;
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error) ::unlink(temp.c_str());
    result.Error = error;
    return result;
}
