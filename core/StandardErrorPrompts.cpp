#include "core/StandardErrorPrompts.h"

#include <QCoreApplication>

#include <cstdio>

namespace talmere {

void WriteStandardErrorLine(QString text)
{
    // Dialog texts break their lines the Windows way; a terminal wants plain line feeds.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void StandardErrorPrompts::write(const char* kind, const QString& text) const
{
    WriteStandardErrorLine(m_title + QStringLiteral(": ") + QLatin1String(kind) + QStringLiteral(": ") + text);
}

void StandardErrorPrompts::error(const QString& text)
{
    write("Error", text);
}

void StandardErrorPrompts::warning(const QString& text)
{
    write("Warning", text);
}

void StandardErrorPrompts::information(const QString& text)
{
    write("Information", text);
}

bool StandardErrorPrompts::confirm(const QString& text)
{
    write("Confirmation (answered Cancel)", text);
    return false;
}

void StandardErrorPrompts::processPendingEvents()
{
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents();
    }
}

} // namespace talmere
