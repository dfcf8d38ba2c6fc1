#include "gui/MessageBoxPrompts.h"

#include <QApplication>
#include <QMessageBox>

namespace talmere {

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

} // namespace talmere
