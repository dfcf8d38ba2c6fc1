#include "platform/Process.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace talmere::platform {

bool ChildProgram::start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder)
{
    if (m_state == State::Running || program.empty()) {
        return false;
    }
    std::vector<std::string> words;
    words.reserve(arguments.size() + 1);
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0) {
        return false;
    }
    bool ok = workingFolder.empty() || ::posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str()) == 0;
    pid_t pid = -1;
    // The program is named by its path, never looked up in PATH. A program that cannot be executed makes
    // the spawn fail, as glibc reports a failed exec to the caller.
    ok = ok && ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    ::posix_spawn_file_actions_destroy(&actions);
    if (!ok) {
        return false;
    }
    m_pid = pid;
    m_state = State::Running;
    return true;
}

ChildProgram::State ChildProgram::poll()
{
    if (m_state != State::Running) {
        return m_state;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = ::waitpid(m_pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
        return m_state;
    }
    m_state = State::Exited;
    if (result < 0) {
        m_exitCode = 255;
    } else if (WIFEXITED(status)) {
        m_exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        m_exitCode = 128 + WTERMSIG(status);
    }
    return m_state;
}

namespace {

struct CrashPlan {
    std::string point;
    long count = 0;
};

CrashPlan ReadCrashPlan()
{
    CrashPlan plan;
    const char* value = std::getenv("TALMERE_CRASH_AT");
    if (value == nullptr) {
        return plan;
    }
    const std::string text(value);
    const std::size_t colon = text.rfind(':');
    plan.point = text.substr(0, colon);
    plan.count = colon == std::string::npos ? 1 : std::strtol(text.c_str() + colon + 1, nullptr, 10);
    return plan;
}

} // namespace

void CrashPoint(std::string_view point)
{
    static const CrashPlan plan = ReadCrashPlan();
    static std::atomic<long> reached{0};
    if (plan.point.empty() || plan.point != point) {
        return;
    }
    if (reached.fetch_add(1) + 1 == plan.count) {
        ::kill(::getpid(), SIGKILL);
    }
}

} // namespace talmere::platform
