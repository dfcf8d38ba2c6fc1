#pragma once

namespace talmere {

// The report manager as a program: the shell with the report manager's start, its window (while the window is
// not part of the program, a good start ends after its archive run and says so) and its close. Answers the
// exit code, which is 0 however the program ends.
int RunReportManager(int argc, char** argv);

} // namespace talmere
