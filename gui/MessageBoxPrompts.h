#pragma once

#include "core/UserPrompts.h"

namespace talmere {

// The prompts of the program on a display: modal message boxes titled with the application title.
class MessageBoxPrompts final : public UserPrompts {
public:
    explicit MessageBoxPrompts(const QString& title) : m_title(title) {}

    void setTitle(const QString& title) { m_title = title; }

    void error(const QString& text) override;
    void warning(const QString& text) override;
    void information(const QString& text) override;
    bool confirm(const QString& text) override;
    void processPendingEvents() override;
    void setBusyCursor(bool on) override;

private:
    QString m_title;
};

} // namespace talmere
