#pragma once

#include "core/UserPrompts.h"

#include <QPointer>

class QProgressDialog;

namespace talmere {

// The prompts of the program on a display: modal message boxes titled with the application title.
class MessageBoxPrompts final : public UserPrompts {
public:
    explicit MessageBoxPrompts(const QString& title) : m_title(title) {}
    ~MessageBoxPrompts() override;

    void setTitle(const QString& title) { m_title = title; }

    void error(const QString& text) override;
    void warning(const QString& text) override;
    void information(const QString& text) override;
    bool confirm(const QString& text) override;
    void processPendingEvents() override;
    void setBusyCursor(bool on) override;
    // A progress dialog that appears when the operation has lasted half a second, and goes at its end.
    void progress(const QString& text, int done, int total) override;

private:
    QString m_title;
    QPointer<QProgressDialog> m_progress;
};

} // namespace talmere
