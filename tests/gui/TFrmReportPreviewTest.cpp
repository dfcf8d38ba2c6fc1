// The preview window as a user works it: paging, zooming, keys and wheel, printing and closing, where it opens,
// and what it draws, over pages of US Letter at 100 dots per inch that each show their number on a colour of
// their own.

#include "gui/TFrmReportPreview.h"

#include "view/ReportLayout.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <climits>

#include <gtest/gtest.h>

using namespace talmere;

namespace {

class FakePages : public ReportPages {
public:
    explicit FakePages(int count) : m_count(count) {}

    int pageCount() const override { return m_count; }
    QSize pageSize() const override { return m_size; }
    int dotsPerInch() const override { return m_dotsPerInch; }
    void paintPage(QPainter& painter, int page) const override
    {
        painted.push_back(page);
        scale = painter.worldTransform().m11();
        painter.fillRect(QRect(125, 250, 600, 600), Colour(page));
        QFont font = painter.font();
        font.setPixelSize(400);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(125, 250, 600, 600), Qt::AlignCenter, QString::number(page));
    }

    static QColor Colour(int page) { return QColor(20 * (page % 12), 0, 200); }

    int m_count;
    QSize m_size{850, 1100};
    int m_dotsPerInch = 100;
    mutable std::vector<int> painted;
    mutable double scale = 0.0;
};

const platform::ScreenMetrics kScreen{1000, 800, 96.0};

class Preview : public ::testing::Test {
protected:
    std::unique_ptr<TFrmReportPreview> open(const FakePages& pages, std::function<void()> print = {},
                                            bool landscape = false, const platform::ScreenMetrics& screen = kScreen)
    {
        auto dialog = std::make_unique<TFrmReportPreview>(pages, QStringLiteral("Remittances"), m_geometry, landscape,
                                                          screen, std::move(print));
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        settle();
        return dialog;
    }
    // Scroll bars come and go on queued events.
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }
    template <class T>
    static T* find(TFrmReportPreview& dialog, const char* name)
    {
        T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QString panel(TFrmReportPreview& dialog) { return find<QLabel>(dialog, "lblPage")->text(); }
    static void click(TFrmReportPreview& dialog, const char* name)
    {
        QTest::mouseClick(find<QToolButton>(dialog, name), Qt::LeftButton);
        settle();
    }
    static std::vector<bool> navigation(TFrmReportPreview& dialog)
    {
        std::vector<bool> enabled;
        for (const char* name : {"btnFirst", "btnPrev", "btnNext", "btnLast"}) {
            enabled.push_back(find<QToolButton>(dialog, name)->isEnabled());
        }
        return enabled;
    }
    static void typeZoom(TFrmReportPreview& dialog, const QString& text)
    {
        auto* box = find<QLineEdit>(dialog, "edtZoom");
        box->setFocus();
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
        settle();
    }
    static QString zoomText(TFrmReportPreview& dialog) { return find<QLineEdit>(dialog, "edtZoom")->text(); }

    WindowPosition m_geometry;
};

} // namespace

TEST_F(Preview, PageControlsFollowTheCurrentPage)
{
    FakePages pages(5);
    auto dialog = open(pages);
    EXPECT_EQ(dialog->windowTitle(), "Report Preview");
    EXPECT_EQ(panel(*dialog), "Page 1 of 5");
    EXPECT_EQ(navigation(*dialog), (std::vector<bool>{false, false, true, true}));

    click(*dialog, "btnLast");
    EXPECT_EQ(panel(*dialog), "Page 5 of 5");
    EXPECT_EQ(navigation(*dialog), (std::vector<bool>{true, true, false, false}));

    click(*dialog, "btnPrev");
    EXPECT_EQ(panel(*dialog), "Page 4 of 5");
    EXPECT_EQ(navigation(*dialog), (std::vector<bool>{true, true, true, true}));
    click(*dialog, "btnFirst");
    click(*dialog, "btnNext");
    EXPECT_EQ(panel(*dialog), "Page 2 of 5");

    // Scrolling by hand makes the page in the middle of the view the current one.
    ReportPagesView* view = dialog->pagesView();
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->value() + view->pageRect(4).top() + view->pageRect(4).height() / 2 -
                  view->viewport()->height() / 2);
    EXPECT_EQ(panel(*dialog), "Page 4 of 5");
    bar->setValue(bar->maximum());
    EXPECT_EQ(panel(*dialog), "Page 5 of 5");
}

TEST_F(Preview, OnePageOrNoneLeavesNothingToNavigate)
{
    FakePages one(1);
    auto dialog = open(one);
    EXPECT_EQ(panel(*dialog), "Page 1 of 1");
    EXPECT_EQ(navigation(*dialog), (std::vector<bool>{false, false, false, false}));

    FakePages none(0);
    auto empty = open(none);
    EXPECT_EQ(panel(*empty), "Page 0 of 0");
    EXPECT_EQ(navigation(*empty), (std::vector<bool>{false, false, false, false}));
    click(*empty, "btnFit");
    typeZoom(*empty, "250");
    empty->pagesView()->viewport()->grab();
    EXPECT_TRUE(none.painted.empty());
}

TEST_F(Preview, TheZoomBoxTakesWholeNumbersWithinTheRangeAndEnterDoesNotClose)
{
    FakePages pages(5);
    auto dialog = open(pages);
    ReportPagesView* view = dialog->pagesView();
    const std::vector<std::pair<QString, QString>> typed{{"abc", "100"},   {"700", "500"},  {"5", "10"},
                                                         {" 250 ", "250"}, {"12.5", "100"}, {"99999999999999", "500"}};
    for (const auto& [text, shown] : typed) {
        typeZoom(*dialog, text);
        EXPECT_TRUE(dialog->isVisible()) << text.toStdString();
        EXPECT_EQ(zoomText(*dialog), shown) << text.toStdString();
        EXPECT_EQ(view->zoomPercent(), shown.toDouble()) << text.toStdString();
        EXPECT_EQ(view->zoomMode(), ReportPagesView::ZoomMode::Custom);
    }

    // At 100 % the page has its real size on the screen: 96 screen pixels for 100 printer pixels.
    typeZoom(*dialog, "100");
    pages.painted.clear();
    view->viewport()->grab();
    ASSERT_FALSE(pages.painted.empty());
    EXPECT_NEAR(pages.scale, 0.96, 0.002);
    EXPECT_EQ(view->pageRect(1).size(), QSize(816, 1056));

    typeZoom(*dialog, "490");
    click(*dialog, "udZoomUp");
    EXPECT_EQ(zoomText(*dialog), "500");
    click(*dialog, "udZoomUp");
    EXPECT_EQ(zoomText(*dialog), "500");
    click(*dialog, "udZoomDown");
    EXPECT_EQ(view->zoomPercent(), 490);
    find<QLineEdit>(*dialog, "edtZoom")->setText("junk");
    click(*dialog, "udZoomDown");
    EXPECT_EQ(zoomText(*dialog), "90");
}

TEST_F(Preview, FitAndWidthShowTheZoomThatFitsTheView)
{
    FakePages pages(5);
    auto dialog = open(pages);
    ReportPagesView* view = dialog->pagesView();
    const auto shownPercent = [&] { return zoomText(*dialog).toInt(); };
    // The real page is 816 x 1056 screen pixels at 100 %.
    const auto widthPercent = [&] { return view->pageRect(1).width() * 100.0 / 816; };

    // The window opens fitted to the width, with no sideways scrolling.
    EXPECT_EQ(view->zoomMode(), ReportPagesView::ZoomMode::PageWidth);
    const QRect opened = view->pageRect(1);
    EXPECT_GT(opened.width(), view->viewport()->width() - 40);
    EXPECT_LE(opened.right(), view->viewport()->width());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_NEAR(shownPercent(), widthPercent(), 1.0);

    // In a narrow window the whole page is as wide as the view, in a wide one as high.
    click(*dialog, "btnFit");
    QRect whole = view->pageRect(1);
    EXPECT_TRUE(view->viewport()->rect().contains(whole));
    EXPECT_GT(whole.width(), view->viewport()->width() - 40);
    EXPECT_NEAR(shownPercent(), widthPercent(), 1.0);
    dialog->resize(900, 500);
    settle();
    whole = view->pageRect(1);
    EXPECT_TRUE(view->viewport()->rect().contains(whole));
    EXPECT_GT(whole.height(), view->viewport()->height() - 40);
    EXPECT_NEAR(shownPercent(), whole.height() * 100.0 / 1056, 1.0);

    // A wider window fits the width at a larger zoom, and the box follows.
    click(*dialog, "btnWidth");
    const int narrow = shownPercent();
    dialog->resize(dialog->width() + 200, dialog->height());
    settle();
    EXPECT_GT(shownPercent(), narrow);
    EXPECT_NEAR(shownPercent(), widthPercent(), 1.0);
}

TEST_F(Preview, KeysAndTheWheelPageAndZoom)
{
    FakePages pages(5);
    auto dialog = open(pages);
    ReportPagesView* view = dialog->pagesView();
    click(*dialog, "btnFit");
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(panel(*dialog), "Page 2 of 5");
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(panel(*dialog), "Page 5 of 5");
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(panel(*dialog), "Page 5 of 5");
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(panel(*dialog), "Page 1 of 5");

    // Pages taller than the view scroll by a screen.
    typeZoom(*dialog, "100");
    const int before = view->verticalScrollBar()->value();
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(view->verticalScrollBar()->value(), before + view->viewport()->height());

    typeZoom(*dialog, "100");
    const QPoint middle = view->viewport()->rect().center();
    QWheelEvent up(middle, view->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &up);
    EXPECT_EQ(zoomText(*dialog), "110");
    // The page being read stays the current one across zooming.
    click(*dialog, "btnNext");
    QWheelEvent down(middle, view->viewport()->mapToGlobal(middle), {}, {0, -240}, Qt::NoButton, Qt::ControlModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &down);
    EXPECT_EQ(zoomText(*dialog), "90");
    EXPECT_EQ(panel(*dialog), "Page 2 of 5");
    const QRect second = view->pageRect(2);
    EXPECT_TRUE(second.contains(second.center().x(), view->viewport()->height() / 2));
}

TEST_F(Preview, TheViewShowsTheCurrentPageAndPaintsOnlyWhatIsInSight)
{
    FakePages pages(5);
    auto dialog = open(pages);
    ReportPagesView* view = dialog->pagesView();
    click(*dialog, "btnFit");
    click(*dialog, "btnNext");
    click(*dialog, "btnNext");
    ASSERT_EQ(panel(*dialog), "Page 3 of 5");
    const QImage shot = view->viewport()->grab().toImage();
    const QRect paper = view->pageRect(3);
    // A point of the coloured square beside the number.
    const QColor colour =
        shot.pixelColor(paper.left() + paper.width() * 150 / 850, paper.top() + paper.height() * 275 / 1100);
    EXPECT_NEAR(colour.red(), FakePages::Colour(3).red(), 3);
    EXPECT_NEAR(colour.blue(), 200, 3);
    // White paper around the picture, the grey desk beside the page.
    EXPECT_EQ(shot.pixelColor(paper.left() + 4, paper.top() + 4), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(1, paper.center().y()), QColor(0x80, 0x80, 0x80));

    FakePages many(5000);
    auto large = open(many);
    ReportPagesView* big = large->pagesView();
    many.painted.clear();
    big->viewport()->grab();
    ASSERT_FALSE(many.painted.empty());
    EXPECT_LE(*std::max_element(many.painted.begin(), many.painted.end()), 2);
    click(*large, "btnLast");
    EXPECT_EQ(panel(*large), "Page 5000 of 5000");
    many.painted.clear();
    big->viewport()->grab();
    ASSERT_FALSE(many.painted.empty());
    EXPECT_GE(*std::min_element(many.painted.begin(), many.painted.end()), 4999);
    EXPECT_LE(many.painted.size(), 4u);
}

TEST_F(Preview, PagesOfNoSizeOrAbsurdNumbersAreShownWithoutHarm)
{
    FakePages flat(3);
    flat.m_size = {-5, 1100};
    auto dialog = open(flat);
    EXPECT_EQ(panel(*dialog), "Page 0 of 0");
    dialog->pagesView()->viewport()->grab();
    EXPECT_TRUE(flat.painted.empty());

    FakePages endless(INT_MAX);
    endless.m_dotsPerInch = 0;
    auto huge = open(endless);
    typeZoom(*huge, "500");
    click(*huge, "btnLast");
    EXPECT_EQ(panel(*huge), QStringLiteral("Page %1 of %1").arg(INT_MAX));
    endless.painted.clear();
    huge->pagesView()->viewport()->grab();
    EXPECT_LE(endless.painted.size(), 2u);
}

TEST_F(Preview, PrintingRunsOnceAtATimeAndShowsThePagesAgain)
{
    FakePages pages(5);
    int calls = 0;
    bool enabledDuring = true;
    TFrmReportPreview* preview = nullptr;
    auto dialog = open(pages, [&] {
        ++calls;
        auto* button = find<QToolButton>(*preview, "btnPrint");
        enabledDuring = button->isEnabled();
        button->click();
        // Printing laid the report out again, for a printer that needs fewer pages.
        pages.m_count = 3;
    });
    preview = dialog.get();
    EXPECT_EQ(dialog->printTitle(), "Remittances");
    click(*dialog, "btnLast");
    click(*dialog, "btnPrint");
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(find<QToolButton>(*dialog, "btnPrint")->isEnabled());
    EXPECT_EQ(panel(*dialog), "Page 3 of 3");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(Preview, OpensCentredWhenNeverPlacedAndTakesDownTheWaitCursor)
{
    FakePages pages(2);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto portrait = open(pages);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Four fifths of the screen's height; centred in its usable area.
    EXPECT_EQ(portrait->geometry(), QRect(263, 80, 474, 640));
    auto landscape = open(pages, {}, true);
    EXPECT_EQ(landscape->geometry(), QRect(213, 140, 574, 520));

    // A screen of 144 pixels per inch makes everything half as large again.
    auto sharp = open(pages, {}, false, {1500, 1200, 144.0});
    EXPECT_EQ(sharp->minimumSize(), QSize(711, 255));
    EXPECT_EQ(sharp->geometry(), QRect(394, 120, 711, 960));
}

TEST_F(Preview, ReopensWhereItWasClosed)
{
    FakePages pages(2);
    m_geometry = {30, 40, 600, 500, 0};
    auto dialog = open(pages);
    EXPECT_EQ(dialog->geometry(), QRect(30, 40, 600, 500));
    dialog->setGeometry(50, 60, 700, 520);
    settle();
    QTest::keyClick(dialog->pagesView(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(m_geometry, (WindowPosition{50, 60, 700, 520, 0}));

    // Saved bounds smaller than the window may be grow to its minimum.
    m_geometry = {30, 40, 100, 50, -1};
    auto small = open(pages);
    EXPECT_EQ(small->geometry(), QRect(30, 40, 474, 170));
    click(*small, "btnClose");
    EXPECT_FALSE(small->isVisible());
    EXPECT_EQ(m_geometry, (WindowPosition{30, 40, 474, 170, 0}));
}

TEST_F(Preview, ReopensMaximisedOverTheCentredDefault)
{
    FakePages pages(2);
    m_geometry = {30, 40, 600, 500, 1};
    auto dialog = open(pages);
    EXPECT_TRUE(dialog->isMaximized());
    EXPECT_EQ(dialog->normalGeometry(), QRect(263, 80, 474, 640));
    dialog->close();
    EXPECT_EQ(m_geometry, (WindowPosition{263, 80, 474, 640, 1}));
}
