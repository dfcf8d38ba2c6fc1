#include "gui/TFrmReportPreview.h"

#include "view/ReportLayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace talmere {

namespace {

// The smallest window, at 96 pixels per inch, and the first sizes of a landscape preview.
constexpr int kMinimumWidth = 474;
constexpr int kMinimumHeight = 170;
constexpr int kLandscapeWidth = 574;
constexpr int kLandscapeHeight = 520;

// Room around the pages and between them, and the shadow's offset, at 96 pixels per inch.
constexpr int kDeskMargin = 10;
constexpr int kShadow = 3;
// No page grows beyond this many screen pixels, whatever size and resolution the pages claim.
constexpr qint64 kLargestPaper = 10'000'000;

const QColor kDesk(0x80, 0x80, 0x80);
const QColor kShadowColour(0x40, 0x40, 0x40);
const QColor kFrame(0x30, 0x30, 0x30);

double InterfaceScale(double pixelsPerInch)
{
    return pixelsPerInch > 96.0 ? pixelsPerInch / 96.0 : 1.0;
}

int ToInt(qint64 value)
{
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN / 2, INT_MAX / 2));
}

double LimitZoom(double percent)
{
    if (!std::isfinite(percent)) {
        return 100.0;
    }
    return std::clamp(percent, double(kMinimumZoomPercent), double(kMaximumZoomPercent));
}

// A sheet of paper: the whole page, or a page as wide as the window with an arrow from edge to edge.
QIcon PaperIcon(bool pageWidth)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    if (pageWidth) {
        painter.drawRect(0, 3, 15, 10);
        painter.drawLine(2, 8, 13, 8);
        painter.drawLine(2, 8, 4, 6);
        painter.drawLine(2, 8, 4, 10);
        painter.drawLine(13, 8, 11, 6);
        painter.drawLine(13, 8, 11, 10);
    } else {
        painter.drawRect(3, 1, 9, 13);
        for (int y = 4; y <= 11; y += 2) {
            painter.drawLine(5, y, 10, y);
        }
    }
    return QIcon(pixmap);
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

// ---- The pages ------------------------------------------------------------------------------------------------

ReportPagesView::ReportPagesView(const ReportPages& pages, double screenPixelsPerInch, QWidget* parent)
    : QAbstractScrollArea(parent), m_pages(pages),
      m_screenPixelsPerInch(screenPixelsPerInch > 0.0 ? screenPixelsPerInch : 96.0),
      m_margin(static_cast<int>(std::lround(kDeskMargin * InterfaceScale(m_screenPixelsPerInch)))), m_gap(2 * m_margin)
{
    // The vertical bar stays, so that a zoom fitted to the width does not change the width it was fitted to.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    reloadPages();
}

double ReportPagesView::scale() const
{
    return m_screenPixelsPerInch / m_dotsPerInch * m_zoomPercent / 100.0;
}

qint64 ReportPagesView::paperWidth() const
{
    // Rounded down, so that a page fitted to the width leaves no sliver to scroll.
    return std::clamp<qint64>(static_cast<qint64>(std::floor(m_pageSize.width() * scale() + 1e-6)), 1, kLargestPaper);
}

qint64 ReportPagesView::paperHeight() const
{
    return std::clamp<qint64>(static_cast<qint64>(std::floor(m_pageSize.height() * scale() + 1e-6)), 1, kLargestPaper);
}

qint64 ReportPagesView::contentHeight() const
{
    if (m_pageCount == 0) {
        return 0;
    }
    return 2 * m_margin + m_pageCount * paperHeight() + (m_pageCount - 1) * qint64(m_gap);
}

void ReportPagesView::reloadPages()
{
    m_pageSize = m_pages.pageSize();
    const int dotsPerInch = m_pages.dotsPerInch();
    m_dotsPerInch = dotsPerInch > 0 ? dotsPerInch : 96;
    // Pages without a size cannot be shown; they count as none.
    m_pageCount = m_pageSize.width() > 0 && m_pageSize.height() > 0 ? std::max(0, m_pages.pageCount()) : 0;
    const int current = m_pageCount == 0 ? 0 : std::clamp(m_currentPage, 1, m_pageCount);
    if (m_zoomMode != ZoomMode::Custom) {
        m_zoomPercent = fittedZoom(m_zoomMode);
    }
    updateScrollBars();
    if (current > 0) {
        goToPage(current);
    }
    setCurrentPage(current);
    emit zoomChanged(m_zoomPercent);
    viewport()->update();
}

double ReportPagesView::fittedZoom(ZoomMode mode) const
{
    if (m_pageCount == 0 || mode == ZoomMode::Custom) {
        return m_zoomPercent;
    }
    const double screenPerPrinterPercent = m_screenPixelsPerInch / m_dotsPerInch / 100.0;
    const double width = std::max(1, viewport()->width() - 2 * m_margin);
    const double height = std::max(1, viewport()->height() - 2 * m_margin);
    const double byWidth = width / (m_pageSize.width() * screenPerPrinterPercent);
    const double byHeight = height / (m_pageSize.height() * screenPerPrinterPercent);
    return LimitZoom(mode == ZoomMode::PageWidth ? byWidth : std::min(byWidth, byHeight));
}

void ReportPagesView::setZoomMode(ZoomMode mode)
{
    m_zoomMode = mode;
    if (mode != ZoomMode::Custom) {
        applyZoom(fittedZoom(mode));
    }
}

void ReportPagesView::setZoomPercent(double percent)
{
    m_zoomMode = ZoomMode::Custom;
    applyZoom(LimitZoom(percent));
}

void ReportPagesView::applyZoom(double percent)
{
    const bool changed = percent != m_zoomPercent;
    m_positioning = true;
    if (m_pageCount > 0) {
        // The current page keeps its place in the view: the same part of it stays at the top, the same column in
        // the middle.
        const int page = m_currentPage;
        const double down = double(verticalScrollBar()->value() + m_margin - pageTop(page)) / pitch();
        const double across =
            (horizontalScrollBar()->value() + viewport()->width() / 2.0) / std::max<qint64>(1, contentWidth());
        m_zoomPercent = percent;
        updateScrollBars();
        verticalScrollBar()->setValue(ToInt(pageTop(page) - m_margin + std::llround(down * pitch())));
        horizontalScrollBar()->setValue(ToInt(std::llround(across * contentWidth() - viewport()->width() / 2.0)));
    } else {
        m_zoomPercent = percent;
        updateScrollBars();
    }
    m_positioning = false;
    viewport()->update();
    if (changed) {
        emit zoomChanged(m_zoomPercent);
    }
}

void ReportPagesView::updateScrollBars()
{
    const QSize view = viewport()->size();
    const int step = static_cast<int>(std::lround(20 * InterfaceScale(m_screenPixelsPerInch)));
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, ToInt(std::max<qint64>(0, contentHeight() - view.height())));
    vertical->setPageStep(std::max(1, view.height()));
    vertical->setSingleStep(step);
    QScrollBar* horizontal = horizontalScrollBar();
    const qint64 width = m_pageCount == 0 ? 0 : contentWidth();
    horizontal->setRange(0, ToInt(std::max<qint64>(0, width - view.width())));
    horizontal->setPageStep(std::max(1, view.width()));
    horizontal->setSingleStep(step);
}

void ReportPagesView::goToPage(int page)
{
    if (m_pageCount == 0) {
        return;
    }
    page = std::clamp(page, 1, m_pageCount);
    m_positioning = true;
    verticalScrollBar()->setValue(ToInt(pageTop(page) - m_margin));
    m_positioning = false;
    setCurrentPage(page);
    viewport()->update();
}

void ReportPagesView::setCurrentPage(int page)
{
    if (page != m_currentPage) {
        m_currentPage = page;
        emit currentPageChanged(page);
    }
}

void ReportPagesView::followScrolling()
{
    if (m_positioning || m_pageCount == 0) {
        return;
    }
    const QScrollBar* vertical = verticalScrollBar();
    const int value = vertical->value();
    if (value <= vertical->minimum()) {
        setCurrentPage(1);
    } else if (value >= vertical->maximum()) {
        // At the end of the report the last page counts, even when several pages are in sight.
        setCurrentPage(m_pageCount);
    } else {
        // The page under the middle of the view; each page owns half of the gap on either side.
        const qint64 middle = value + viewport()->height() / 2;
        const qint64 page = (middle - m_margin + m_gap / 2) / pitch() + 1;
        setCurrentPage(static_cast<int>(std::clamp<qint64>(page, 1, m_pageCount)));
    }
}

void ReportPagesView::scrollContentsBy(int, int)
{
    viewport()->update();
    followScrolling();
}

QRect ReportPagesView::pageRect(int page) const
{
    if (page < 1 || page > m_pageCount) {
        return {};
    }
    const qint64 width = paperWidth();
    const int viewWidth = viewport()->width();
    const qint64 left =
        contentWidth() <= viewWidth ? (viewWidth - width) / 2 : m_margin - qint64(horizontalScrollBar()->value());
    const qint64 top = pageTop(page) - verticalScrollBar()->value();
    return QRect(ToInt(left), ToInt(top), ToInt(width), ToInt(paperHeight()));
}

void ReportPagesView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, kDesk);
    if (m_pageCount == 0) {
        return;
    }
    // Only the pages that cross the exposed rows are drawn: their numbers follow from the scroll position.
    const qint64 offset = verticalScrollBar()->value();
    const qint64 top = exposed.top() + offset - m_margin;
    const qint64 bottom = exposed.bottom() + offset - m_margin;
    if (bottom < 0) {
        return;
    }
    const int first = static_cast<int>(std::clamp<qint64>(top < 0 ? 1 : top / pitch() + 1, 1, m_pageCount));
    const int last = static_cast<int>(std::clamp<qint64>(bottom / pitch() + 1, 1, m_pageCount));
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    for (int page = first; page <= last; ++page) {
        const QRect paper = pageRect(page);
        if (!paper.adjusted(-1, -1, kShadow, kShadow).intersects(exposed)) {
            continue;
        }
        painter.fillRect(paper.translated(kShadow, kShadow), kShadowColour);
        painter.fillRect(paper, Qt::white);
        painter.setPen(kFrame);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(paper.adjusted(-1, -1, 0, 0));
        const QRect visible = paper & exposed;
        if (visible.isEmpty()) {
            continue;
        }
        painter.save();
        painter.setClipRect(visible);
        painter.translate(paper.topLeft());
        painter.scale(double(paper.width()) / m_pageSize.width(), double(paper.height()) / m_pageSize.height());
        m_pages.paintPage(painter, page);
        painter.restore();
    }
}

void ReportPagesView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_zoomMode != ZoomMode::Custom) {
        applyZoom(fittedZoom(m_zoomMode));
    } else {
        updateScrollBars();
    }
}

void ReportPagesView::keyPressEvent(QKeyEvent* event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    // Whole pages in sight: a page key turns the page. Larger pages scroll by the height of the view.
    const bool wholePages = pitch() <= viewport()->height();
    switch (event->key()) {
    case Qt::Key_PageDown:
        if (wholePages && !control) {
            goToPage(m_currentPage + 1);
            return;
        }
        break;
    case Qt::Key_PageUp:
        if (wholePages && !control) {
            goToPage(m_currentPage - 1);
            return;
        }
        break;
    case Qt::Key_Home:
        goToPage(1);
        return;
    case Qt::Key_End:
        goToPage(m_pageCount);
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
        if (control) {
            const int step = event->key() == Qt::Key_Minus ? -kZoomStepPercent : kZoomStepPercent;
            setZoomPercent(std::lround(m_zoomPercent) + step);
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ReportPagesView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        m_wheelAngle = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A notch of the wheel is 120; finer wheels add up to notches.
    m_wheelAngle += event->angleDelta().y();
    const int notches = m_wheelAngle / 120;
    m_wheelAngle -= notches * 120;
    if (notches != 0) {
        setZoomPercent(std::lround(m_zoomPercent) + notches * kZoomStepPercent);
    }
    event->accept();
}

// ---- The window -----------------------------------------------------------------------------------------------

TFrmReportPreview::TFrmReportPreview(const ReportPages& pages, const QString& printTitle, WindowPosition& geometry,
                                     bool landscape, const platform::ScreenMetrics& screen, std::function<void()> print,
                                     QWidget* parent)
    : QDialog(parent), m_printTitle(printTitle), m_geometry(geometry), m_print(std::move(print))
{
    setObjectName(QStringLiteral("TFrmReportPreview"));
    setWindowTitle(QStringLiteral("Report Preview"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);

    m_view = new ReportPagesView(pages, screen.pixelsPerInch, this);
    m_view->setObjectName(QStringLiteral("pvwPages"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(m_view, 1);

    connect(m_view, &ReportPagesView::currentPageChanged, this, &TFrmReportPreview::updatePageControls);
    connect(m_view, &ReportPagesView::zoomChanged, this, &TFrmReportPreview::showZoom);

    place(landscape, screen);
    updatePageControls();
}

void TFrmReportPreview::buildToolBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlToolBar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    QStyle* look = style();

    m_fit = ToolButton(bar, "btnFit", QStringLiteral("View entire page"));
    m_fit->setIcon(PaperIcon(false));
    m_width = ToolButton(bar, "btnWidth", QStringLiteral("Expand to full page width"));
    m_width->setIcon(PaperIcon(true));
    row->addWidget(m_fit);
    row->addWidget(m_width);
    row->addSpacing(4);

    auto* zoomLabel = new QLabel(QStringLiteral("Zoom"), bar);
    zoomLabel->setObjectName(QStringLiteral("lblZoom"));
    row->addWidget(zoomLabel);
    m_zoom = new QLineEdit(QStringLiteral("100"), bar);
    m_zoom->setObjectName(QStringLiteral("edtZoom"));
    m_zoom->setToolTip(QStringLiteral("Set zoom percentage"));
    m_zoom->setMaxLength(6);
    m_zoom->setFixedWidth(m_zoom->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10);
    m_zoom->installEventFilter(this);
    zoomLabel->setBuddy(m_zoom);
    row->addWidget(m_zoom);

    // The up-down beside the box: two small arrows, one above the other.
    auto* upDown = new QVBoxLayout;
    upDown->setSpacing(0);
    m_zoomUp = ToolButton(bar, "udZoomUp", QStringLiteral("Set zoom percentage"));
    m_zoomUp->setArrowType(Qt::UpArrow);
    m_zoomDown = ToolButton(bar, "udZoomDown", QStringLiteral("Set zoom percentage"));
    m_zoomDown->setArrowType(Qt::DownArrow);
    const int arrowHeight = std::max(8, m_zoom->sizeHint().height() / 2);
    for (QToolButton* arrow : {m_zoomUp, m_zoomDown}) {
        arrow->setAutoRaise(false);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setFixedSize(arrowHeight + 4, arrowHeight);
        upDown->addWidget(arrow);
    }
    row->addLayout(upDown);
    row->addSpacing(4);

    m_first = ToolButton(bar, "btnFirst", QStringLiteral("First page"));
    m_first->setIcon(look->standardIcon(QStyle::SP_MediaSkipBackward));
    m_previous = ToolButton(bar, "btnPrev", QStringLiteral("Previous page"));
    m_previous->setIcon(look->standardIcon(QStyle::SP_MediaSeekBackward));
    m_pagePanel = new QLabel(QStringLiteral("Page 1 of 1"), bar);
    m_pagePanel->setObjectName(QStringLiteral("lblPage"));
    m_pagePanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_pagePanel->setAlignment(Qt::AlignCenter);
    // Wide enough for a long report's page numbers, so that the panel never shrinks under its text.
    m_pagePanel->setMinimumWidth(m_pagePanel->fontMetrics().horizontalAdvance(QStringLiteral("Page 888 of 888")) + 8);
    m_next = ToolButton(bar, "btnNext", QStringLiteral("Next page"));
    m_next->setIcon(look->standardIcon(QStyle::SP_MediaSeekForward));
    m_last = ToolButton(bar, "btnLast", QStringLiteral("Last page"));
    m_last->setIcon(look->standardIcon(QStyle::SP_MediaSkipForward));
    row->addWidget(m_first);
    row->addWidget(m_previous);
    row->addWidget(m_pagePanel);
    row->addWidget(m_next);
    row->addWidget(m_last);
    row->addSpacing(4);

    m_printButton = ToolButton(bar, "btnPrint", QStringLiteral("Print"));
    m_printButton->setText(QStringLiteral("&Print"));
    m_printButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_close = ToolButton(bar, "btnClose", QStringLiteral("Close without printing"));
    m_close->setText(QStringLiteral("&Close"));
    m_close->setToolButtonStyle(Qt::ToolButtonTextOnly);
    row->addWidget(m_printButton);
    // Saving as PDF is offered where the owner says how.
    m_pdfButton = ToolButton(bar, "btnPdf", QStringLiteral("Save the report as a PDF file"));
    m_pdfButton->setToolTip(QStringLiteral("Save as PDF\u2026"));
    m_pdfButton->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    m_pdfButton->setVisible(false);
    row->addWidget(m_pdfButton);
    row->addStretch(1);
    row->addWidget(m_close);

    static_cast<QBoxLayout*>(layout())->addWidget(bar);

    connect(m_fit, &QToolButton::clicked, this, [this] { m_view->setZoomMode(ReportPagesView::ZoomMode::WholePage); });
    connect(m_width, &QToolButton::clicked, this,
            [this] { m_view->setZoomMode(ReportPagesView::ZoomMode::PageWidth); });
    connect(m_zoomUp, &QToolButton::clicked, this, [this] { applyZoomText(kZoomStepPercent); });
    connect(m_zoomDown, &QToolButton::clicked, this, [this] { applyZoomText(-kZoomStepPercent); });
    connect(m_first, &QToolButton::clicked, this, [this] { m_view->goToPage(1); });
    connect(m_previous, &QToolButton::clicked, this, [this] { m_view->goToPage(m_view->currentPage() - 1); });
    connect(m_next, &QToolButton::clicked, this, [this] { m_view->goToPage(m_view->currentPage() + 1); });
    connect(m_last, &QToolButton::clicked, this, [this] { m_view->goToPage(m_view->pageCount()); });
    connect(m_printButton, &QToolButton::clicked, this, &TFrmReportPreview::printReport);
    connect(m_pdfButton, &QToolButton::clicked, this, [this] {
        if (m_saveAsPdf) {
            m_saveAsPdf();
        }
    });
    connect(m_close, &QToolButton::clicked, this, &QDialog::reject);
}

void TFrmReportPreview::setSaveAsPdf(std::function<void()> save)
{
    m_saveAsPdf = std::move(save);
    m_pdfButton->setVisible(static_cast<bool>(m_saveAsPdf));
}

void TFrmReportPreview::place(bool landscape, const platform::ScreenMetrics& screen)
{
    const double scale = InterfaceScale(screen.pixelsPerInch);
    setMinimumSize(static_cast<int>(std::lround(kMinimumWidth * scale)),
                   static_cast<int>(std::lround(kMinimumHeight * scale)));
    const int screenWidth = std::max(0, screen.availableWidth);
    const int screenHeight = std::max(0, screen.availableHeight);
    int width = kMinimumWidth;
    // Four fifths of the screen, the fraction dropped.
    int height = screenHeight * 4 / 5;
    if (landscape) {
        width = kLandscapeWidth;
        height = kLandscapeHeight;
    }
    width = std::max(width, minimumWidth());
    height = std::max(height, minimumHeight());
    // Integer division drops the fraction towards zero, as the centring of the main window does.
    QRect bounds((screenWidth - width) / 2, (screenHeight - height) / 2, width, height);
    bool maximised = false;
    if (m_geometry.Left != -1) {
        if (m_geometry.State == -1 || m_geometry.State == 0) {
            // Saved bounds are never smaller than the window may be.
            bounds = QRect(m_geometry.Left, m_geometry.Top, std::max(m_geometry.Width, minimumWidth()),
                           std::max(m_geometry.Height, minimumHeight()));
        } else if (m_geometry.State == 1) {
            // Centred first, so that leaving the maximised state gives the default size back.
            maximised = true;
        }
    }
    setGeometry(bounds);
    if (maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TFrmReportPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown) {
        return;
    }
    m_shown = true;
    m_view->reloadPages();
    m_view->setZoomMode(ReportPagesView::ZoomMode::PageWidth);
    m_view->goToPage(1);
    updatePageControls();
    showZoom(m_view->zoomPercent());
    if (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    m_view->setFocus();
}

void TFrmReportPreview::updatePageControls()
{
    const int count = m_view->pageCount();
    const int current = m_view->currentPage();
    m_first->setEnabled(count > 0 && current != 1);
    m_previous->setEnabled(count > 0 && current != 1);
    m_next->setEnabled(count > 0 && current != count);
    m_last->setEnabled(count > 0 && current != count);
    // The panel is as wide as the last page's caption, so that paging does not move the buttons beside it.
    m_pagePanel->setMinimumWidth(
        m_pagePanel->fontMetrics().horizontalAdvance(QStringLiteral("Page %1 of %1").arg(count)) + 12);
    m_pagePanel->setText(QStringLiteral("Page %1 of %2").arg(current).arg(count));
}

void TFrmReportPreview::showZoom(double percent)
{
    m_zoom->setText(QString::number(std::lround(percent)));
}

void TFrmReportPreview::applyZoomText(int step)
{
    // Whatever is not a whole number counts as 100 %; a number is limited to the zoom range.
    bool isNumber = false;
    const qlonglong typed = m_zoom->text().trimmed().toLongLong(&isNumber);
    qlonglong percent = isNumber ? std::clamp<qlonglong>(typed, kMinimumZoomPercent, kMaximumZoomPercent) : 100;
    percent = std::clamp<qlonglong>(percent + step, kMinimumZoomPercent, kMaximumZoomPercent);
    m_view->setZoomPercent(double(percent));
    showZoom(m_view->zoomPercent());
}

bool TFrmReportPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_zoom && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Enter applies the zoom and goes no further: the dialog must not take it as its default button's.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            applyZoomText(0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmReportPreview::printReport()
{
    if (m_printing || !m_print) {
        return;
    }
    m_printing = true;
    m_printButton->setEnabled(false);
    const QPointer<TFrmReportPreview> alive(this);
    m_print();
    if (!alive) {
        return;
    }
    m_printing = false;
    m_printButton->setEnabled(true);
    // Printing may have laid the pages out again for another printer or orientation.
    m_view->reloadPages();
    updatePageControls();
}

void TFrmReportPreview::done(int result)
{
    const bool maximised = isMaximized();
    const QRect bounds = maximised ? normalGeometry() : geometry();
    m_geometry = {bounds.x(), bounds.y(), bounds.width(), bounds.height(), maximised ? 1 : 0};
    QDialog::done(result);
}

} // namespace talmere
