// Another user of a user control file, in its own process, driven line by line from its standard input:
//
//   talmere_access_probe SERVER_FOLDER
//
//   register            -> "registered SLOT", or "error TEXT" then "refused"
//   unregister          -> "unregistered"
//   acquire SECONDS     -> "acquired RESULT"
//   release             -> "released"
//   hold OFFSET [LEN]   -> "held" or "not held" (a raw lock, as another program would take it)
//   holdfor OFFSET MS   -> "held", and "dropped" when it lets go MS milliseconds later
//   exit

#include "core/ApplicationContext.h"
#include "core/UserAccess.h"
#include "platform/SettingsStore.h"
#include "platform/SharedLockFile.h"

#include <QCoreApplication>
#include <QThread>

#include <iostream>
#include <sstream>
#include <string>

using namespace talmere;

namespace {

class PrintingPrompts final : public UserPrompts {
public:
    void error(const QString& text) override { std::cout << "error " << text.toStdString() << std::endl; }
    void warning(const QString& text) override { error(text); }
    void information(const QString& text) override { error(text); }
    bool confirm(const QString&) override { return false; }
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    void setBusyCursor(bool) override {}
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: talmere_access_probe SERVER_FOLDER\n";
        return 64;
    }
    PrintingPrompts prompts;
    const auto store = platform::OpenUserSettings("Brennwick", "Talmere", true);
    ApplicationContext context(prompts, *store, *store);
    context.folders.ServerDirectory = QString::fromLocal8Bit(argv[1]);
    context.lockTiming = LockTiming{20, 10};
    platform::SharedLockFile raw;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "register") {
            if (RegisterUser(context)) {
                std::cout << "registered " << context.userAccess.slot << std::endl;
            } else {
                std::cout << "refused" << std::endl;
            }
        } else if (command == "unregister") {
            UnregisterUser(context);
            std::cout << "unregistered" << std::endl;
        } else if (command == "acquire") {
            int seconds = 0;
            words >> seconds;
            std::cout << "acquired " << AcquireArchiveLock(context, seconds) << std::endl;
        } else if (command == "release") {
            ReleaseArchiveLock(context);
            std::cout << "released" << std::endl;
        } else if (command == "hold" || command == "holdfor") {
            std::uint64_t offset = 0;
            std::uint64_t amount = 1;
            words >> offset >> amount;
            const std::uint64_t length = command == "hold" ? amount : 1;
            const bool opened =
                raw.isOpen() || raw.open((context.folders.ServerDirectory + kUserControlFileName).toStdString());
            const bool held = opened && raw.lockRange(offset, length) == platform::SharedLockFile::LockResult::Locked;
            std::cout << (held ? "held" : "not held") << std::endl;
            if (held && command == "holdfor") {
                QThread::msleep(static_cast<unsigned long>(amount));
                raw.unlockByte(offset);
                std::cout << "dropped" << std::endl;
            }
        } else if (command == "exit") {
            break;
        } else {
            std::cout << "unknown command" << std::endl;
        }
    }
    return 0;
}
