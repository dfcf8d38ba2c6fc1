#include "gui/MessageBoxPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>

namespace talmere {

MessageBoxPrompts::~MessageBoxPrompts()
{
    delete m_progress;
}

void MessageBoxPrompts::error(const QString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), m_title, text);
}

void MessageBoxPrompts::warning(const QString& text)
{
    QMessageBox::warning(QApplication::activeWindow(), m_title, text);
}

void MessageBoxPrompts::information(const QString& text)
{
    QMessageBox::information(QApplication::activeWindow(), m_title, text);
}

bool MessageBoxPrompts::confirm(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), m_title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

void MessageBoxPrompts::processPendingEvents()
{
    QApplication::processEvents();
}

void MessageBoxPrompts::setBusyCursor(bool on)
{
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

void MessageBoxPrompts::progress(const QString& text, int done, int total)
{
    if (done >= total) {
        delete m_progress;
        return;
    }
    if (!m_progress) {
        m_progress = new QProgressDialog(QApplication::activeWindow());
        m_progress->setWindowTitle(m_title);
        m_progress->setCancelButton(nullptr);
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setMinimumDuration(500);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
    }
    m_progress->setMaximum(total);
    m_progress->setLabelText(text);
    // Setting the value lets the dialog show itself once the minimum duration has passed, and repaint.
    m_progress->setValue(done);
}

} // namespace talmere
