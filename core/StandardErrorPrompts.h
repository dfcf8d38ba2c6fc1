#pragma once

#include "core/UserPrompts.h"

namespace talmere {

// Writes one line of text to standard error at once (line breaks the Windows way become plain ones).
void WriteStandardErrorLine(QString text);

// The prompts of a run without a display (a scheduled archive run on a server): every text that a dialog
// would show goes to standard error, one line per text, after the window title and the kind of dialog. A
// confirmation has nobody to say OK, so it is answered with Cancel.
class StandardErrorPrompts final : public UserPrompts {
public:
    explicit StandardErrorPrompts(const QString& title) : m_title(title) {}

    void setTitle(const QString& title) { m_title = title; }

    void error(const QString& text) override;
    void warning(const QString& text) override;
    void information(const QString& text) override;
    bool confirm(const QString& text) override;
    void processPendingEvents() override;
    void setBusyCursor(bool) override {}

private:
    void write(const char* kind, const QString& text) const;

    QString m_title;
};

} // namespace talmere
