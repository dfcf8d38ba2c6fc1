#pragma once

#include <QDate>
#include <QString>

namespace talmere {

// The program writes dates and amounts the same way whatever the user's regional settings: short dates
// "MM/dd/yyyy", "." before decimals, "," between thousands, "$" before an amount, negative amounts in
// parentheses, two decimals.
inline const QString kShortDateFormat = QStringLiteral("MM/dd/yyyy");

// Makes these conventions the process's defaults: Qt's default locale and the C library's numbers.
void ApplyFormatConventions();

QString FormatShortDate(const QDate& date);
QString FormatCurrency(double amount);

} // namespace talmere
