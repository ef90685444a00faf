#include "TestProcess.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

namespace testsupport {

namespace fs = std::filesystem;

fs::path FindProgram(const std::string& Name) {
    const char* Path = std::getenv("PATH");
    std::string Search = Path ? Path : "";
    Search += ":/usr/sbin:/usr/local/sbin:/usr/bin:/sbin";
    std::istringstream Dirs(Search);
    for (std::string Dir; std::getline(Dirs, Dir, ':');) {
        if (Dir.empty()) continue;
        const fs::path Candidate = fs::path(Dir) / Name;
        if (::access(Candidate.c_str(), X_OK) == 0) return Candidate;
    }
    return {};
}

pid_t SpawnProgram(const std::vector<std::string>& Args, const TProcessFiles& Files) {
    const pid_t Pid = ::fork();
    if (Pid != 0) return Pid;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    auto Reopen = [](const fs::path& Path, int Fd, int Flags) {
        if (Path.empty()) return;
        const int Opened = ::open(Path.c_str(), Flags, 0600);
        if (Opened < 0 || ::dup2(Opened, Fd) < 0) ::_exit(126);
        ::close(Opened);
    };
    Reopen(Files.In.empty() ? fs::path("/dev/null") : Files.In, 0, O_RDONLY);
    Reopen(Files.Out, 1, O_WRONLY | O_CREAT | O_TRUNC);
    if (!Files.Err.empty() && Files.Err == Files.Out) {
        if (::dup2(1, 2) < 0) ::_exit(126);
    } else {
        Reopen(Files.Err, 2, O_WRONLY | O_CREAT | O_TRUNC);
    }
    if (!Files.WorkDir.empty() && ::chdir(Files.WorkDir.c_str()) != 0) ::_exit(126);
    for (const auto& [Name, Value] : Files.Environment) ::setenv(Name.c_str(), Value.c_str(), 1);
    std::vector<char*> Argv;
    for (const auto& Arg : Args) Argv.push_back(const_cast<char*>(Arg.c_str()));
    Argv.push_back(nullptr);
    ::execv(Argv[0], Argv.data());
    ::_exit(127);
}

int RunProgram(const std::vector<std::string>& Args, const TProcessFiles& Files) {
    const pid_t Pid = SpawnProgram(Args, Files);
    int Status = 0;
    if (Pid < 0 || ::waitpid(Pid, &Status, 0) != Pid) return -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
}

void SetEnvironment(const std::string& Name, const std::optional<std::string>& Value) {
    if (Value)
        ::setenv(Name.c_str(), Value->c_str(), 1);
    else
        ::unsetenv(Name.c_str());
}

}  // namespace testsupport
