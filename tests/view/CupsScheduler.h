#pragma once

// A CUPS scheduler of the test's own: cupsd with its configuration, spool, state and logs in a temporary
// folder, listening only on a domain socket there, so a test can print to real queues without touching the
// machine's print system. Clients reach it with CUPS_SERVER set to the socket (clientEnvironment()).

#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace talmere::test {

class CupsScheduler {
public:
    CupsScheduler();
    ~CupsScheduler();
    CupsScheduler(const CupsScheduler&) = delete;
    CupsScheduler& operator=(const CupsScheduler&) = delete;

    // Whether this machine has what a PDF queue needs (cupsd, lpadmin, the cups-pdf backend and its PPD); when
    // not, why.
    static bool pdfQueueAvailable(QString* why);

    // Starts cupsd and waits until it answers. False, and why, when it does not.
    bool start(QString* why);
    // Adds an enabled queue that prints to PDF files through cups-pdf.
    bool addPdfQueue(const QString& name, QString* why);
    // True when the queue has no job waiting or printing.
    bool queueIdle(const QString& name);
    // Stops cupsd (it is also stopped when the object goes).
    void stop();

    QString socketPath() const;
    // The environment of a client of this scheduler: this process's, with CUPS_SERVER pointing at the socket.
    QProcessEnvironment clientEnvironment() const;
    // The scheduler's error log, for a failing test to show.
    QString errorLog() const;

private:
    // Runs a CUPS client program against this scheduler; its exit code (-1 when it did not finish in time).
    int runClient(const QString& program, const QStringList& arguments, QString* output = nullptr);

    TempFolder m_folder;
    QProcess m_cupsd;
};

} // namespace talmere::test
