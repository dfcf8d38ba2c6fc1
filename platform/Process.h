#pragma once

#include <string>
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

} // namespace talmere::platform
