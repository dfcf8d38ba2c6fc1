#pragma once

// PDF files read back with the poppler tools: pdfinfo's fields and pdftotext's text, laid out as printed.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <map>

namespace talmere::test {

// A tool's standard output; empty when it could not run or failed.
inline QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// pdfinfo's fields ("Pages", "Title", "Page size", ...).
inline std::map<QString, QString> PdfInfo(const QString& pdf)
{
    std::map<QString, QString> info;
    for (const QString& line : RunTool(QStringLiteral("pdfinfo"), {pdf}).split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            info[line.left(colon)] = line.mid(colon + 1).trimmed();
        }
    }
    return info;
}

// The text of the whole file, pages ending in form feeds.
inline QString PdfText(const QString& pdf)
{
    return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// The text of each page.
inline QStringList PdfPageTexts(const QString& pdf)
{
    QStringList pages = PdfText(pdf).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

} // namespace talmere::test
