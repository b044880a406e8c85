#pragma once
// Where the targets that write files for every input keep them: shared
// memory when the system has it, else the temporary folder. A whole-file write
// ends in a sync, which on a disk costs more than the code under test; the
// code that runs is the same in either place.
#include <unistd.h>

#include <filesystem>

namespace fuzzscratch {

inline std::filesystem::path Root() {
    static const std::filesystem::path root = [] {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK | X_OK) == 0)
            return std::filesystem::path("/dev/shm");
        return std::filesystem::temp_directory_path();
    }();
    return root;
}

}  // namespace fuzzscratch
