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
    // How far a long operation has come ("Filing 120 of 1,000 staged files"): shown by a window once the
    // operation has taken a moment, ignored where nobody watches. done == total ends it.
    virtual void progress(const QString& text, int done, int total)
    {
        (void)text;
        (void)done;
        (void)total;
    }
};

// The hourglass for the life of the object, also when the work it covers fails.
class BusyCursor {
public:
    explicit BusyCursor(UserPrompts& prompts) : m_prompts(prompts) { m_prompts.setBusyCursor(true); }
    ~BusyCursor() { m_prompts.setBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UserPrompts& m_prompts;
};

} // namespace talmere
