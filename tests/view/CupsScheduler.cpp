#include "tests/view/CupsScheduler.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <filesystem>
#include <utility>

namespace talmere::test {

namespace fs = std::filesystem;

namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");
const QString kLpadmin = QStringLiteral("/usr/sbin/lpadmin");
const QString kPdfBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

const QString kLpstat = QStringLiteral("/usr/bin/lpstat");

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

QString Program(const QString& path)
{
    if (QFile::exists(path)) {
        return path;
    }
    return QStandardPaths::findExecutable(fs::path(path.toStdString()).filename().c_str());
}

} // namespace

CupsScheduler::CupsScheduler()
{
    // The filters run as the scheduler's user (lp) and read the spooled files: the folder must be open to it.
    fs::permissions(m_folder.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
}

CupsScheduler::~CupsScheduler()
{
    stop();
}

bool CupsScheduler::pdfQueueAvailable(QString* why)
{
    for (const QString& program : {kCupsd, kLpadmin, kLpstat}) {
        if (Program(program).isEmpty()) {
            *why = program + QStringLiteral(" is not installed");
            return false;
        }
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftocairo")).isEmpty()) {
        *why = QStringLiteral("pdftocairo is not installed (poppler-utils)");
        return false;
    }
    for (const QString& file : {kPdfBackend, kPdfPpd}) {
        if (!QFile::exists(file)) {
            *why = file + QStringLiteral(" is missing (printer-driver-cups-pdf)");
            return false;
        }
    }
    return true;
}

bool CupsScheduler::start(QString* why)
{
    const std::string root = m_folder.path().string();
    for (const char* folder : {"spool", "cache", "state", "log"}) {
        fs::create_directories(m_folder / folder);
    }
    // Filters write their temporary files here as lp, as they do in the system's own spool/tmp.
    fs::create_directories(m_folder / "tmp");
    fs::permissions(m_folder / "tmp", fs::perms::all | fs::perms::sticky_bit);

    const std::pair<const char*, const char*> places[] = {{"ServerRoot", ""},
                                                          {"RequestRoot", "/spool"},
                                                          {"CacheDir", "/cache"},
                                                          {"StateDir", "/state"},
                                                          {"TempDir", "/tmp"},
                                                          {"AccessLog", "/log/access_log"},
                                                          {"ErrorLog", "/log/error_log"},
                                                          {"PageLog", "/log/page_log"}};
    std::string files = "User lp\n";
    for (const auto& [key, place] : places) {
        files += std::string(key) + " " + root + place + "\n";
    }
    WriteFile(m_folder / "cups-files.conf", files);
    // Anyone who reaches the socket may do anything: the socket is in this test's folder.
    WriteFile(m_folder / "cupsd.conf", "Listen " + socketPath().toStdString() +
                                           "\nLogLevel warn\nBrowsing No\nDefaultAuthType None\n"
                                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                           "</Policy>\n");

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(Program(kCupsd), {QStringLiteral("-c"), Q(m_folder / "cupsd.conf"), QStringLiteral("-s"),
                                    Q(m_folder / "cups-files.conf"), QStringLiteral("-f")});
    if (!m_cupsd.waitForStarted(10000)) {
        *why = QStringLiteral("cupsd did not start: ") + m_cupsd.errorString();
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        QString answer;
        if (QFile::exists(socketPath()) && runClient(Program(kLpstat), {QStringLiteral("-r")}, &answer) == 0 &&
            answer.contains(QStringLiteral("scheduler is running"))) {
            return true;
        }
        if (m_cupsd.state() == QProcess::NotRunning) {
            *why = QStringLiteral("cupsd ended at once: ") + QString::fromLocal8Bit(m_cupsd.readAll());
            return false;
        }
        QThread::msleep(100);
    }
    *why = QStringLiteral("cupsd did not answer within 15 seconds");
    return false;
}

bool CupsScheduler::addPdfQueue(const QString& name, QString* why)
{
    // cups-pdf takes PostScript. The usual conversion of the job's PDF to PostScript keeps the glyphs but not
    // which characters they are, so the text of the queue's PDF could not be read back; cairo's conversion
    // names each glyph after its character.
    QString output;
    const int code = runClient(Program(kLpadmin),
                               {QStringLiteral("-p"), name, QStringLiteral("-v"), QStringLiteral("cups-pdf:/"),
                                QStringLiteral("-P"), kPdfPpd, QStringLiteral("-o"),
                                QStringLiteral("pdftops-renderer-default=pdftocairo"), QStringLiteral("-E")},
                               &output);
    if (code != 0) {
        *why = QStringLiteral("lpadmin failed (%1): %2").arg(code).arg(output);
        return false;
    }
    return true;
}

bool CupsScheduler::queueIdle(const QString& name)
{
    QString output;
    return runClient(Program(kLpstat), {QStringLiteral("-o"), name}, &output) == 0 && output.trimmed().isEmpty();
}

void CupsScheduler::stop()
{
    if (m_cupsd.state() == QProcess::NotRunning) {
        return;
    }
    m_cupsd.terminate();
    if (!m_cupsd.waitForFinished(10000)) {
        m_cupsd.kill();
        m_cupsd.waitForFinished(5000);
    }
}

QString CupsScheduler::socketPath() const
{
    return Q(m_folder / "cups.sock");
}

QProcessEnvironment CupsScheduler::clientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), socketPath());
    return environment;
}

QString CupsScheduler::errorLog() const
{
    QFile log(Q(m_folder / "log" / "error_log"));
    if (!log.open(QIODevice::ReadOnly)) {
        return QStringLiteral("(no error log)");
    }
    return QString::fromLocal8Bit(log.readAll());
}

int CupsScheduler::runClient(const QString& program, const QStringList& arguments, QString* output)
{
    QProcess client;
    client.setProcessEnvironment(clientEnvironment());
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(program, arguments);
    if (!client.waitForFinished(20000) || client.exitStatus() != QProcess::NormalExit) {
        client.kill();
        client.waitForFinished(2000);
        return -1;
    }
    if (output != nullptr) {
        *output = QString::fromLocal8Bit(client.readAll());
    }
    return client.exitCode();
}

} // namespace talmere::test
