#pragma once

namespace talmere {

// The report manager as a program: the shell with the report list window, whose creation completes the start and
// whose destruction closes it. Without a display a good start ends after its archive run and says so. Answers
// the exit code, which is 0 however the program ends.
int RunReportManager(int argc, char** argv);

} // namespace talmere
