#pragma once

// "Report Preview": the laid-out pages of a report on screen, paged and zoomed, with a way to print them. The
// pages are drawn by our own scroll area, which paints only the pages in sight at the zoom asked, so that a
// report of thousands of pages opens at once and nothing large is kept in memory.

#include "core/ApplicationContext.h"
#include "platform/ScreenMetrics.h"

#include <QAbstractScrollArea>
#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace talmere {

class ReportPages;

// The zoom range of the preview in percent, and the step of the zoom up-down control and of Ctrl+wheel.
inline constexpr int kMinimumZoomPercent = 10;
inline constexpr int kMaximumZoomPercent = 500;
inline constexpr int kZoomStepPercent = 10;

// The pages one below the other on a grey desk, each on white paper with a frame and a shadow. At 100 % a page
// has its real size on the screen. The current page is the one the user looks at: the page in the middle of
// the view, or the page last navigated to.
class ReportPagesView : public QAbstractScrollArea {
    Q_OBJECT

public:
    enum class ZoomMode { WholePage, PageWidth, Custom };

    // screenPixelsPerInch: the screen's logical resolution. The pages must outlive the view.
    ReportPagesView(const ReportPages& pages, double screenPixelsPerInch, QWidget* parent = nullptr);

    // The number of pages shown: none when the pages have no size.
    int pageCount() const { return m_pageCount; }
    // 1 .. pageCount, or 0 when there are no pages.
    int currentPage() const { return m_currentPage; }
    double zoomPercent() const { return m_zoomPercent; }
    ZoomMode zoomMode() const { return m_zoomMode; }

    // Whole page and page width follow the view's size; a custom zoom is limited to the zoom range.
    void setZoomMode(ZoomMode mode);
    void setZoomPercent(double percent);
    // Scrolls to the top of the page (limited to the pages there are) and makes it the current page.
    void goToPage(int page);
    // Reads the number, size and resolution of the pages again, after they have been laid out anew.
    void reloadPages();
    // Where the paper of a page lies on the viewport now; empty for a page out of range.
    QRect pageRect(int page) const;

signals:
    void currentPageChanged(int page);
    void zoomChanged(double percent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double fittedZoom(ZoomMode mode) const;
    void applyZoom(double percent);
    void updateScrollBars();
    void followScrolling();
    void setCurrentPage(int page);
    // Screen pixels per printer pixel at the current zoom.
    double scale() const;
    qint64 paperWidth() const;
    qint64 paperHeight() const;
    qint64 pitch() const { return paperHeight() + m_gap; }
    qint64 pageTop(int page) const { return m_margin + (page - 1) * pitch(); }
    qint64 contentHeight() const;
    qint64 contentWidth() const { return paperWidth() + 2 * m_margin; }

    const ReportPages& m_pages;
    double m_screenPixelsPerInch;
    int m_margin;
    int m_gap;
    int m_pageCount = 0;
    QSize m_pageSize;
    int m_dotsPerInch = 96;
    int m_currentPage = 0;
    double m_zoomPercent = 100.0;
    ZoomMode m_zoomMode = ZoomMode::Custom;
    // Set while the view scrolls on its own (navigation, zoom), so that the current page stays the one asked.
    bool m_positioning = false;
    int m_wheelAngle = 0;
};

class TFrmReportPreview : public QDialog {
    Q_OBJECT

public:
    // geometry: the preview's working placement, read here and written back when the window closes.
    // landscape: the printer's orientation, which gives the first size. print: prints the report (the caller
    // shows the print dialog); it may lay the pages out anew, and the window shows them again afterwards. The
    // pages and the geometry must outlive the window. A wait cursor the caller set while laying the report out
    // (an application override cursor) is taken down when the window first shows.
    TFrmReportPreview(const ReportPages& pages, const QString& printTitle, WindowPosition& geometry, bool landscape,
                      const platform::ScreenMetrics& screen, std::function<void()> print, QWidget* parent = nullptr);

    // The name of the print job: the report type's description.
    const QString& printTitle() const { return m_printTitle; }
    ReportPagesView* pagesView() const { return m_view; }
    // Shows the tool bar's "Save as PDF..." button, which calls save; without one the button is hidden.
    void setSaveAsPdf(std::function<void()> save);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    void place(bool landscape, const platform::ScreenMetrics& screen);
    void updatePageControls();
    void showZoom(double percent);
    void applyZoomText(int step);
    void printReport();

    QString m_printTitle;
    WindowPosition& m_geometry;
    std::function<void()> m_print;
    bool m_printing = false;
    bool m_shown = false;

    ReportPagesView* m_view = nullptr;
    QToolButton* m_fit = nullptr;
    QToolButton* m_width = nullptr;
    QLineEdit* m_zoom = nullptr;
    QToolButton* m_zoomUp = nullptr;
    QToolButton* m_zoomDown = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QLabel* m_pagePanel = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QToolButton* m_printButton = nullptr;
    QToolButton* m_pdfButton = nullptr;
    std::function<void()> m_saveAsPdf;
    QToolButton* m_close = nullptr;
};

} // namespace talmere
