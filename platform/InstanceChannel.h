#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace talmere::platform {

// A window message as one instance of the program posts it to another: a number and two parameters.
struct InstanceMessage {
    int number = 0;
    std::int64_t firstParameter = 0;
    std::int64_t secondParameter = 0;

    friend bool operator==(const InstanceMessage&, const InstanceMessage&) = default;
};

// The way a starting instance of the program finds the one the same user already runs, by the class and
// title of its application window, and hands it a message and a request to show itself.
class InstanceChannel {
public:
    virtual ~InstanceChannel() = default;

    // Looks for a running instance whose application window has this class and title; when there is one,
    // posts the message to it, asks it to show itself with the show command, and answers true.
    virtual bool notifyRunningInstance(const QString& windowClass, const QString& title, const InstanceMessage& message,
                                       int showCommand) = 0;

    // Makes this instance findable under the class and title. Messages and show requests that arrive later
    // are handed to the receivers while the event loop runs. False when the channel cannot be opened; the
    // program then runs unseen by later starts.
    virtual bool listen(const QString& windowClass, const QString& title) = 0;
    virtual void setMessageReceiver(std::function<void(const InstanceMessage&)> receiver) = 0;
    virtual void setShowReceiver(std::function<void(int showCommand)> receiver) = 0;
};

// The channel of this platform: a local socket private to the user ($XDG_RUNTIME_DIR when set), named
// after the window class and title.
std::unique_ptr<InstanceChannel> CreateLocalInstanceChannel();

// The name under which that channel is found: a socket path, or a name in the temporary folder.
QString LocalInstanceChannelName(const QString& windowClass, const QString& title);

} // namespace talmere::platform
