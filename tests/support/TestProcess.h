// Running outside programs from tests (the converter, database servers,
// validators) with their standard streams on files, and looking at what a
// directory holds afterwards.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// The full path of an executable on PATH or in the system's sbin folders
// (servers live there), or empty. Linux only, as SpawnProgram is.
std::filesystem::path FindProgram(const std::string& Name);

struct TProcessFiles {
    std::filesystem::path In{};   // empty: /dev/null
    std::filesystem::path Out{};  // empty: inherited
    std::filesystem::path Err{};  // empty: inherited; the same as Out: both streams into it
    std::filesystem::path WorkDir{};
    std::vector<std::pair<std::string, std::string>> Environment{};  // set in the child only
};

// Starts Args[0] (a path, not looked up) with Args as its arguments. The
// child dies with this process, so a crashed test leaves nothing running.
pid_t SpawnProgram(const std::vector<std::string>& Args, const TProcessFiles& Files);

// Runs the program to its end: its exit code, 128 + the signal that ended
// it, or -1 when it could not be started or waited for.
int RunProgram(const std::vector<std::string>& Args, const TProcessFiles& Files);

// Sets a variable of this process's environment, or removes it.
void SetEnvironment(const std::string& Name, const std::optional<std::string>& Value);

// Every entry below Dir as its relative path, with "=" and the content for
// regular files (not for symbolic links).
std::set<std::string> DirectorySnapshot(const std::filesystem::path& Dir);

}  // namespace testsupport
