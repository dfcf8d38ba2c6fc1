// talmere: the report manager.

#include "Shell.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // The report list window comes with the catalogue module; until it is there, a good start ends at the
    // hand-over and says so.
    return talmere::RunShell(argc, argv, [](talmere::ShellSession& session) -> std::unique_ptr<QObject> {
        const QByteArray title = ApplicationTitle(session.context.settings).toLocal8Bit();
        std::fprintf(stderr, "%s: start-up complete; the report list window is not part of this build.\n",
                     title.constData());
        return nullptr;
    });
}
