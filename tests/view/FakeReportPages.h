#pragma once

// Laid-out pages for the printing tests: US Letter at 300 dpi, each page with a title line and "Page N of M"
// drawn as text, so a PDF made of them can be read back.

#include "view/ReportLayout.h"

namespace talmere::test {

inline const QString kFakeReportTitle = QStringLiteral("ANSI 999 Acknowledgment Report");

class FakeReportPages final : public ReportPages {
public:
    // Portrait Letter, or landscape when asked.
    explicit FakeReportPages(int pageCount = 5, bool landscape = false);

    int pageCount() const override { return m_pageCount; }
    QSize pageSize() const override { return m_landscape ? QSize(3300, 2550) : QSize(2550, 3300); }
    int dotsPerInch() const override { return 300; }
    void paintPage(QPainter& painter, int page) const override;

    // Where "Page N of M" sits: its baseline two inches below the top of the page.
    static constexpr int kPageLineBaseline = 600;

private:
    int m_pageCount;
    bool m_landscape;
};

} // namespace talmere::test
