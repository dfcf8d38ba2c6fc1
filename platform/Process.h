#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talmere::platform {

// Another program started by this one and watched until it ends. The program is never stopped from here:
// when this object goes while it still runs, it goes on running.
class ChildProgram {
public:
    enum class State { NotStarted, Running, Exited };

    ChildProgram() = default;
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // Starts program (a path) with the arguments after it, in workingFolder, with this program's
    // environment and open standard streams. False when it cannot be started (missing, not executable).
    bool start(const std::string& program, const std::vector<std::string>& arguments, const std::string& workingFolder);
    // Looks without waiting.
    State poll();
    // Of an ended program: its exit status (0 to 255), or 128 + the signal that ended it.
    int exitCode() const { return m_exitCode; }

private:
    int m_pid = -1;
    State m_state = State::NotStarted;
    int m_exitCode = 0;
};

// A point where a test may have the process killed, to see that no work is lost or done twice when it dies
// there. The environment variable TALMERE_CRASH_AT names one point and the time it is reached that kills
// ("archive-copied:3" kills the process with SIGKILL the third time it reaches "archive-copied"). Without the
// variable nothing happens; the variable is read once.
void CrashPoint(std::string_view point);

} // namespace talmere::platform
