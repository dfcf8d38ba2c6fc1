// Dates and amounts are written the same way whatever the user's regional settings.

#include "core/FormatConventions.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace talmere;

namespace {

// The process-wide locales this test changes, given back at its end so that no later test runs under them.
class SavedLocales {
public:
    SavedLocales() : m_default(QLocale()), m_numeric(std::setlocale(LC_NUMERIC, nullptr)) {}
    ~SavedLocales()
    {
        QLocale::setDefault(m_default);
        std::setlocale(LC_NUMERIC, m_numeric.c_str());
    }

private:
    QLocale m_default;
    std::string m_numeric;
};

} // namespace

TEST(FormatConventions, DatesAndAmountsIgnoreTheRegionalSettings)
{
    const SavedLocales saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ApplyFormatConventions();

    EXPECT_EQ(FormatShortDate(QDate(2024, 3, 5)), "03/05/2024");
    EXPECT_EQ(FormatCurrency(1234.5), "$1,234.50");
    EXPECT_EQ(FormatCurrency(-1234567.125), "($1,234,567.13)");
    EXPECT_EQ(FormatCurrency(-0.001), "$0.00");
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 1), "1,234.5");
    EXPECT_EQ(QLocale().toDouble("2.5"), 2.5);
}
