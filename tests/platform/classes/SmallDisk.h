#pragma once
// Real write failures for one test. SmallDisk mounts a tiny tmpfs, seen only by
// this process (its own mount namespace), that Fill() leaves without a free
// block; it needs root and is not available elsewhere. FileSizeLimit makes
// every write past a size fail with EFBIG, as an I/O error would.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "tests/platform/classes/TempFolder.h"

class SmallDisk {
public:
    explicit SmallDisk(size_t bytes) {
        if (!PrivateMounts()) return;
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        mounted_ = ::mount("tesk-test", folder_.Path().c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.Path().c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Available() const { return mounted_; }
    std::string File(const std::string& name) const { return folder_.File(name); }
    const std::string& Path() const { return folder_.Path(); }

    // Takes every free block with a file named "filler".
    void Fill() const {
        std::ofstream out(File("filler"), std::ios::binary);
        const std::string block(4096, 'f');
        while (out.write(block.data(), static_cast<std::streamsize>(block.size())) && out.flush()) {
        }
        out.clear();
        const char byte = 'f';
        while (out.write(&byte, 1) && out.flush()) {
        }
    }

private:
    // Mounts made after this stay inside the process and go with it.
    static bool PrivateMounts() {
        static const bool done = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                                 ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return done;
    }

    TempFolder folder_;
    bool mounted_ = false;
};

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    sighandler_t oldSignal_ = SIG_DFL;
};

// Runs as another user for a while where the test runs as root, so that the
// folder's permissions count; elsewhere they count anyway.
class AsOtherUser {
public:
    AsOtherUser() : root_(::geteuid() == 0) {
        if (root_) ok_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~AsOtherUser() {
        if (root_) {
            if (::seteuid(0) != 0 || ::setegid(0) != 0) std::abort();
        }
    }
    AsOtherUser(const AsOtherUser&) = delete;
    AsOtherUser& operator=(const AsOtherUser&) = delete;

    bool Ok() const { return !root_ || ok_; }

private:
    bool root_;
    bool ok_ = false;
};
