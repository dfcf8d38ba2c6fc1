#pragma once

#include <QString>

namespace talmere {

// What the program's logic may ask of the user interface. The windows answer with message boxes, tests
// record what was shown, and a run without a display writes the texts to standard error.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    virtual void error(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void information(const QString& text) = 0;
    // OK / Cancel: true for OK.
    virtual bool confirm(const QString& text) = 0;
    // Lets pending window messages be processed during a long wait.
    virtual void processPendingEvents() = 0;
    // The hourglass.
    virtual void setBusyCursor(bool on) = 0;
};

} // namespace talmere
