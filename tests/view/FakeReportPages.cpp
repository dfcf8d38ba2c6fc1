#include "tests/view/FakeReportPages.h"

#include <QFont>
#include <QPainter>

namespace talmere::test {

FakeReportPages::FakeReportPages(int pageCount, bool landscape) : m_pageCount(pageCount), m_landscape(landscape) {}

void FakeReportPages::paintPage(QPainter& painter, int page) const
{
    if (page < 1 || page > m_pageCount) {
        return;
    }
    painter.save();
    // 12 points at the pages' 300 dpi, in their pixels: a size in points would follow the device's own
    // resolution and grow again with the painter's scale.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(50);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(300, 450, kFakeReportTitle);
    painter.drawText(300, kPageLineBaseline, QStringLiteral("Page %1 of %2").arg(page).arg(m_pageCount));
    painter.restore();
}

} // namespace talmere::test
