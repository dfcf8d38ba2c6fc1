#pragma once

// What the program's tests share: prompts that record, a program context over temporary folders and
// stores, and environment variables set for one test.

#include "core/ApplicationContext.h"
#include "core/UserPrompts.h"
#include "platform/PrinterSystem.h"
#include "platform/SettingsStore.h"
#include "tests/support/TestSupport.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace talmere::test {

// Remembers every text the logic shows, in order.
class RecordingPrompts final : public UserPrompts {
public:
    struct Shown {
        QString kind; // "error", "warning", "information" or "confirm"
        QString text;
    };

    void error(const QString& text) override { shown.push_back({"error", text}); }
    void warning(const QString& text) override { shown.push_back({"warning", text}); }
    void information(const QString& text) override { shown.push_back({"information", text}); }
    bool confirm(const QString& text) override
    {
        shown.push_back({"confirm", text});
        return confirmAnswer;
    }
    void processPendingEvents() override { ++pendingEventCalls; }
    void setBusyCursor(bool) override {}
    void progress(const QString& text, int done, int total) override
    {
        progressShown.push_back(done < total ? text : QStringLiteral("done %1").arg(total));
    }

    QStringList errors() const;

    std::vector<Shown> shown;
    int pendingEventCalls = 0;
    // The progress texts in order; "done N" where an operation of N steps ended.
    QStringList progressShown;
    bool confirmAnswer = true;
};

// The printers of a test: one default printer, or none when its name is emptied.
class FixedPrinters final : public platform::PrinterSystem {
public:
    QString defaultPrinterName() const override { return defaultPrinter; }
    QStringList printerNames() const override
    {
        return defaultPrinter.isEmpty() ? QStringList{} : QStringList{defaultPrinter};
    }

    QString defaultPrinter = QStringLiteral("Laser");
};

QString Q(const std::filesystem::path& path);

// The environment of a program of the tests started as a child process: the settings home root/config, the
// runtime folder root/runtime, and no display.
QProcessEnvironment ChildProcessEnvironment(const std::filesystem::path& root);
// A folder as the program writes folders: ending in the separator.
QString Folder(const std::filesystem::path& path);

// A temporary installation: a root folder with its own settings home, the product's store and the
// program's store in it, and a program context over them.
class Installation {
public:
    Installation();

    const std::filesystem::path& root() const { return m_root.path(); }
    std::filesystem::path operator/(std::string_view name) const { return m_root / name; }
    std::filesystem::path configHome() const { return m_root / "config"; }

    // Writes the product's folder values (an empty text writes an empty value; nullptr leaves it out).
    void registerFolders(const char* server, const char* install, const char* data);
    // The usual layout: server/, install/, data/ below the root, all registered, a master TALMERE.INI.
    void createStandardLayout(const std::string& talmereIni = "[General]\n");

    ApplicationContext& context() { return *m_context; }
    RecordingPrompts& prompts() { return m_prompts; }
    platform::SettingsStore& programStore() { return *m_programStore; }
    // A fresh context, as a new start of the program would have (same stores and folders on disk).
    ApplicationContext& restart();

    // Environment for a child process: this installation's settings home and runtime folder, no display.
    QProcessEnvironment processEnvironment() const;

private:
    TempFolder m_root;
    ScopedEnvironment m_configHome;
    RecordingPrompts m_prompts;
    std::unique_ptr<platform::SettingsStore> m_programStore;
    std::unique_ptr<platform::SettingsStore> m_productStore;
    std::unique_ptr<ApplicationContext> m_context;
};

} // namespace talmere::test
