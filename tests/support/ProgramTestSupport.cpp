#include "tests/support/ProgramTestSupport.h"

#include <sys/stat.h>

namespace talmere::test {

QStringList RecordingPrompts::errors() const
{
    QStringList texts;
    for (const Shown& item : shown) {
        if (item.kind == QLatin1String("error")) {
            texts << item.text;
        }
    }
    return texts;
}

QString Q(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

QString Folder(const std::filesystem::path& path)
{
    return Q(path) + QLatin1Char('/');
}

Installation::Installation() : m_configHome("XDG_CONFIG_HOME", (m_root / "config").c_str())
{
    std::filesystem::create_directories(m_root / "config");
    std::filesystem::create_directories(m_root / "runtime");
    ::chmod((m_root / "runtime").c_str(), 0700);
    m_programStore = platform::OpenUserSettings("Brennwick", "Talmere");
    m_productStore = platform::OpenUserSettings("Brennwick", "Qorva32", true);
    restart();
}

ApplicationContext& Installation::restart()
{
    m_context.reset();
    m_context = std::make_unique<ApplicationContext>(m_prompts, *m_programStore, *m_productStore);
    // Short waits: the rules are the same, the tests quicker.
    m_context->lockTiming = LockTiming{20, 10};
    return *m_context;
}

void Installation::registerFolders(const char* server, const char* install, const char* data)
{
    {
        auto writer = platform::OpenUserSettings("Brennwick", "Qorva32");
        writer->removeGroup("General");
        if (server != nullptr) {
            writer->setValue("General", "ServerDirectory", server);
        }
        if (install != nullptr) {
            writer->setValue("General", "InstallDirectory", install);
        }
        if (data != nullptr) {
            writer->setValue("General", "DataDirectory", data);
        }
        writer->flush();
    }
    // The context's read-only store sees the new values when it is opened again.
    m_context.reset();
    m_productStore = platform::OpenUserSettings("Brennwick", "Qorva32", true);
    restart();
}

void Installation::createStandardLayout(const std::string& talmereIni)
{
    for (const char* name : {"server", "install", "data"}) {
        std::filesystem::create_directories(m_root / name);
    }
    WriteFile(m_root / "server" / "TALMERE.INI", talmereIni);
    registerFolders(Folder(m_root / "server").toUtf8().constData(), Folder(m_root / "install").toUtf8().constData(),
                    Folder(m_root / "data").toUtf8().constData());
}

QProcessEnvironment ChildProcessEnvironment(const std::filesystem::path& root)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("XDG_CONFIG_HOME", Q(root / "config"));
    environment.insert("XDG_RUNTIME_DIR", Q(root / "runtime"));
    return environment;
}

QProcessEnvironment Installation::processEnvironment() const
{
    return ChildProcessEnvironment(m_root.path());
}

} // namespace talmere::test
