#include "core/FormatConventions.h"

#include <QLocale>

#include <clocale>
#include <cmath>

namespace talmere {

void ApplyFormatConventions()
{
    // United States English has exactly the separators wanted; only the date and currency patterns
    // differ, and those are written by the functions below.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The application object takes the user's locale for the C library; numbers read and written through
    // it must not follow it.
    std::setlocale(LC_NUMERIC, "C");
}

QString FormatShortDate(const QDate& date)
{
    return date.toString(kShortDateFormat);
}

QString FormatCurrency(double amount)
{
    static const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
    const QString digits = kUnitedStates.toString(std::fabs(amount), 'f', 2);
    const QString text = QStringLiteral("$") + digits;
    // A negative amount that rounds to zero is written as zero.
    return (amount < 0 && digits != QStringLiteral("0.00")) ? QStringLiteral("(") + text + QStringLiteral(")") : text;
}

} // namespace talmere
