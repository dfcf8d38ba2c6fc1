#include "gui/TfrmMain.h"

#include "common/DayDate.h"
#include "gui/TfrmAdvSelect.h"
#include "platform/InstanceChannel.h"
#include "platform/ScreenMetrics.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace talmere {

namespace {

// The window's designed size at 96 pixels per inch: the client area and the smallest the window may get.
constexpr int kDesignedWidth = 592;
constexpr int kDesignedHeight = 307;
constexpr int kMinimumWidth = 600;
constexpr int kMinimumHeight = 350;
constexpr int kBottomPanelHeight = 42;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kTypeBoxWidth = 313;
constexpr int kContextSwitchMessage = 3024;

QAction* AddAction(QMenu* menu, const QString& text, const QString& name)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

QString DayText(long day)
{
    const DateTimeParts date = DateFromDayNumber(day);
    return QStringLiteral("%1/%2/%3")
        .arg(date.month, 2, 10, QLatin1Char('0'))
        .arg(date.day, 2, 10, QLatin1Char('0'))
        .arg(date.year, 4, 10, QLatin1Char('0'));
}

} // namespace

TfrmMain::TfrmMain(ApplicationContext& context, platform::PrinterSystem& printers, ReportWindowCommands commands)
    : m_context(context), m_printers(printers), m_extensions(std::move(commands)), m_commands(context)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ApplicationTitle(context.settings));
    buildMenus();
    buildPanels();

    // A screen with more pixels per inch gets a minimum size in the same proportion.
    const double pixelsPerInch = platform::PrimaryScreenMetrics().pixelsPerInch;
    const double scale = pixelsPerInch > 96.0 ? pixelsPerInch / 96.0 : 1.0;
    setMinimumSize(static_cast<int>(std::lround(kMinimumWidth * scale)),
                   static_cast<int>(std::lround(kMinimumHeight * scale)));
    resize(std::max(kDesignedWidth, minimumWidth()), std::max(kDesignedHeight, minimumHeight()));
    updateCommandStates();
}

TfrmMain::~TfrmMain()
{
    // The widgets outlive this part of the window while its base classes go: nothing they signal may reach it any
    // more, and the grid lets go of the models, which go with the commands.
    m_grid->horizontalHeader()->disconnect(this);
    m_grid->selectionModel()->disconnect(this);
    m_grid->disconnect(this);
    m_search->disconnect(this);
    m_typeBox->disconnect(this);
    m_grid->setModel(nullptr);
    m_commands.finish();
}

void TfrmMain::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(AddAction(file, QStringLiteral("&Preferences"), QStringLiteral("mnuFilePreferences")), &QAction::triggered,
            this, [this] {
                if (m_extensions.preferences) {
                    m_extensions.preferences();
                } else {
                    runExtension({}, QStringLiteral("The preferences are"));
                }
            });
    file->addSeparator();
    connect(AddAction(file, QStringLiteral("E&xit"), QStringLiteral("mnuFileExit")), &QAction::triggered, this,
            &QWidget::close);

    QMenu* filter = menuBar()->addMenu(QStringLiteral("F&ilter"));
    filter->setObjectName(QStringLiteral("mnuFilter"));
    m_clearFiltersAction = AddAction(filter, QStringLiteral("&Clear Filters"), QStringLiteral("mnuFilterClear"));
    connect(m_clearFiltersAction, &QAction::triggered, this, &TfrmMain::clearFilters);
    m_advancedFilterAction =
        AddAction(filter, QStringLiteral("&Advanced Filter Options"), QStringLiteral("mnuFilterAdvanced"));
    connect(m_advancedFilterAction, &QAction::triggered, this, &TfrmMain::advancedFilter);

    QMenu* action = menuBar()->addMenu(QStringLiteral("&Action"));
    action->setObjectName(QStringLiteral("mnuAction"));
    m_viewAction = AddAction(action, QStringLiteral("&View Selected Report"), QStringLiteral("mnuActionView"));
    connect(m_viewAction, &QAction::triggered, this, &TfrmMain::viewReport);
    m_printAction = AddAction(action, QStringLiteral("&Print Selected Report"), QStringLiteral("mnuActionPrint"));
    connect(m_printAction, &QAction::triggered, this, &TfrmMain::printReport);
    m_deleteAction = AddAction(action, QStringLiteral("&Delete Selected Report"), QStringLiteral("mnuActionDelete"));
    connect(m_deleteAction, &QAction::triggered, this, &TfrmMain::deleteReport);
    m_refreshAction = AddAction(action, QStringLiteral("&Refresh Report List"), QStringLiteral("mnuActionRefresh"));
    connect(m_refreshAction, &QAction::triggered, this, &TfrmMain::refreshList);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(AddAction(help, QStringLiteral("&About Report Manager"), QStringLiteral("mnuHelpAbout")),
            &QAction::triggered, this, [this] {
                if (m_extensions.about) {
                    m_extensions.about();
                } else {
                    runExtension({}, QStringLiteral("The About box is"));
                }
            });
}

void TfrmMain::buildPanels()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* client = new QWidget(central);
    client->setObjectName(QStringLiteral("pnlClient"));
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(4, 4, 4, 4);
    clientLayout->setSpacing(4);
    m_search = new QLineEdit(client);
    m_search->setObjectName(QStringLiteral("edtQuickSearch"));
    m_search->setPlaceholderText(QStringLiteral("Quick search: type to narrow the list (Esc clears)"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_commands.viewModel().setSearchText(text);
        if (m_grid->model()->rowCount() > 0 && !m_grid->currentIndex().isValid()) {
            m_grid->selectRow(0);
        }
        updateCommandStates();
    });
    clientLayout->addWidget(m_search);

    m_grid = new QTableView(client);
    m_grid->setObjectName(QStringLiteral("DynaGrid"));
    m_grid->setModel(&m_commands.viewModel());
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(true);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(
        static_cast<int>(std::lround(m_grid->fontMetrics().height() * 1.2)) + 2);
    QHeaderView* header = m_grid->horizontalHeader();
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The filler column takes whatever width the grid has left (see applyColumns).
    header->setStretchLastSection(false);
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    m_grid->setSortingEnabled(true);
    connect(header, &QHeaderView::sectionResized, this, [this] {
        if (!m_applyingColumns) {
            m_columnWidthsChanged = true;
        }
    });
    // The selected row stays visible when the grid does not have the focus.
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_grid->setPalette(palette);
    m_grid->installEventFilter(this);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] {
        if (m_viewButton->isEnabled()) {
            viewReport();
        }
    });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { updateStatus(); });

    // The grid's pop-up menu.
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto popup = [this](const QString& text, const QString& name, void (TfrmMain::*slot)()) {
        auto* item = new QAction(text, m_grid);
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, slot);
        m_grid->addAction(item);
        return item;
    };
    m_popupView = popup(QStringLiteral("View Selected Report"), QStringLiteral("popView"), &TfrmMain::viewReport);
    m_popupPrint = popup(QStringLiteral("Print Selected Report"), QStringLiteral("popPrint"), &TfrmMain::printReport);
    m_popupDelete =
        popup(QStringLiteral("Delete Selected Report"), QStringLiteral("popDelete"), &TfrmMain::deleteReport);
    popup(QStringLiteral("Refresh Report List"), QStringLiteral("popRefresh"), &TfrmMain::refreshList);
    clientLayout->addWidget(m_grid, 1);
    layout->addWidget(client, 1);

    auto* bottom = new QWidget(central);
    bottom->setObjectName(QStringLiteral("pnlBottom"));
    bottom->setFixedHeight(kBottomPanelHeight);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(8, 0, 8, 0);
    auto* typeLabel = new QLabel(QStringLiteral("Select &Report Type:"), bottom);
    typeLabel->setObjectName(QStringLiteral("lblReportType"));
    m_typeBox = new QComboBox(bottom);
    m_typeBox->setObjectName(QStringLiteral("cbReportType"));
    // The designed width, given up where the window is too narrow for the box and the three buttons.
    m_typeBox->setMinimumContentsLength(60);
    m_typeBox->setMaximumWidth(kTypeBoxWidth);
    m_typeBox->setMinimumWidth(kTypeBoxWidth / 2);
    m_typeBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_typeBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    typeLabel->setBuddy(m_typeBox);
    connect(m_typeBox, &QComboBox::activated, this, &TfrmMain::reportTypeChosen);
    bottomLayout->addWidget(typeLabel);
    bottomLayout->addWidget(m_typeBox);
    bottomLayout->addStretch(1);
    const auto button = [bottom, bottomLayout](const QString& text, const QString& name) {
        auto* b = new QPushButton(text, bottom);
        b->setObjectName(name);
        b->setFixedSize(kButtonWidth, kButtonHeight);
        bottomLayout->addWidget(b);
        return b;
    };
    m_viewButton = button(QStringLiteral("&View Report"), QStringLiteral("BtnViewReport"));
    connect(m_viewButton, &QPushButton::clicked, this, &TfrmMain::viewReport);
    m_printButton = button(QStringLiteral("&Print Report"), QStringLiteral("BtnPrintReport"));
    connect(m_printButton, &QPushButton::clicked, this, &TfrmMain::printReport);
    m_closeButton = button(QStringLiteral("&Close"), QStringLiteral("BtnClose"));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(bottom);
    setCentralWidget(central);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    statusBar()->addWidget(m_status, 1);
}

ReportManagerStart TfrmMain::start()
{
    const ReportManagerStart outcome = m_commands.start();
    if (outcome == ReportManagerStart::Ready) {
        fillTypeBox();
        applyColumns();
        if (m_grid->model()->rowCount() > 0) {
            m_grid->selectRow(0);
        }
        // The list is what the user works in: arrow keys move through it, Enter views.
        m_grid->setFocus();
        placeWindow();
        updateCommandStates();
    }
    return outcome;
}

void TfrmMain::placeWindow()
{
    const platform::ScreenMetrics screen = platform::PrimaryScreenMetrics();
    const WindowGeometry designed{0, 0, std::max(kDesignedWidth, minimumWidth()), kDesignedHeight};
    const MainWindowPlacement placement =
        PlaceMainWindow(m_context.settings.ReportListPosition, designed, minimumWidth(), minimumHeight(),
                        screen.availableWidth, screen.availableHeight);
    setGeometry(placement.geometry.left, placement.geometry.top, placement.geometry.width, placement.geometry.height);
    if (placement.maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TfrmMain::listenTo(platform::InstanceChannel& channel)
{
    channel.setMessageReceiver([this](const platform::InstanceMessage& message) {
        if (message.number == kContextSwitchMessage) {
            handleContextSwitch(static_cast<int>(message.secondParameter));
        }
    });
    channel.setShowReceiver([this](int) {
        if (isMinimized()) {
            showNormal();
        }
        raise();
        activateWindow();
    });
}

void TfrmMain::fillTypeBox()
{
    const QSignalBlocker block(m_typeBox);
    m_typeBox->clear();
    for (const ReportTypeItem& item : m_commands.reportTypeItems()) {
        m_typeBox->addItem(item.description, item.typeIndex);
    }
    m_typeBox->setCurrentIndex(m_commands.selectedItem());
}

void TfrmMain::applyColumns()
{
    const int type = m_commands.selectedTypeIndex();
    const ListingModel& model = m_commands.model();
    const std::optional<std::vector<int>> saved = m_commands.savedColumnWidths(type);
    // A column's width in characters is measured in digits, which most values are made of, plus the cell's margins.
    const int characterWidth = m_grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    m_applyingColumns = true;
    m_grid->setUpdatesEnabled(false);
    QHeaderView* header = m_grid->horizontalHeader();
    // A new type shows its table's own order.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int column = 0; column < kListingColumnCount; ++column) {
        const bool shown = model.isColumnShown(column);
        m_grid->setColumnHidden(column, !shown);
        if (column == kListingDummyColumn) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
            continue;
        }
        if (!shown) {
            continue;
        }
        int width = model.columnWidthChars(column) * characterWidth + 12;
        if (saved && (*saved)[static_cast<std::size_t>(column)] > 0) {
            width = (*saved)[static_cast<std::size_t>(column)];
        }
        m_grid->setColumnWidth(column, width);
    }
    m_grid->setUpdatesEnabled(true);
    m_applyingColumns = false;
    m_columnWidthsChanged = false;
    m_columnsOfType = type;
}

void TfrmMain::rememberColumnWidths()
{
    if (!m_columnWidthsChanged || m_columnsOfType < 0) {
        return;
    }
    std::vector<int> widths;
    for (int column = 0; column < kListingValueFieldCount; ++column) {
        widths.push_back(m_grid->isColumnHidden(column) ? 0 : m_grid->columnWidth(column));
    }
    m_commands.saveColumnWidths(m_columnsOfType, widths);
    m_columnWidthsChanged = false;
}

int TfrmMain::currentRow() const
{
    const QModelIndex index = m_grid->currentIndex();
    if (!index.isValid()) {
        return -1;
    }
    return m_commands.viewModel().mapToSource(index).row();
}

void TfrmMain::updateCommandStates()
{
    CommandStates states = m_commands.commandStates();
    // What the quick search hides cannot be viewed, printed or deleted.
    const bool shownRow = m_grid->model()->rowCount() > 0;
    states.view = states.view && shownRow;
    states.print = states.print && shownRow;
    states.deleteReport = states.deleteReport && shownRow;
    m_viewButton->setEnabled(states.view);
    m_viewAction->setEnabled(states.view);
    m_popupView->setEnabled(states.view);
    m_printButton->setEnabled(states.print);
    m_printAction->setEnabled(states.print);
    m_popupPrint->setEnabled(states.print);
    m_deleteAction->setEnabled(states.deleteReport);
    m_popupDelete->setEnabled(states.deleteReport);
    m_clearFiltersAction->setEnabled(states.clearFilters);
    updateStatus();
}

void TfrmMain::updateStatus()
{
    const int total = m_commands.model().rowCount();
    const int shown = m_grid->model()->rowCount();
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString text = shown == total
                       ? QStringLiteral("%1 %2").arg(english.toString(total),
                                                     total == 1 ? QStringLiteral("report") : QStringLiteral("reports"))
                       : QStringLiteral("%1 of %2 reports shown").arg(english.toString(shown), english.toString(total));
    const ReportDateFilter& filter = m_commands.filter();
    if (filter.active()) {
        text += QStringLiteral("    Date filter: %1 to %2")
                    .arg(filter.fromDay != 0 ? DayText(filter.fromDay) : QStringLiteral("any date"),
                         filter.thruDay != 0 ? DayText(filter.thruDay) : QStringLiteral("any date"));
    }
    m_status->setText(text);
}

void TfrmMain::afterCommand()
{
    if (m_grid->model()->rowCount() > 0 && !m_grid->currentIndex().isValid()) {
        m_grid->selectRow(0);
    }
    updateCommandStates();
    if (const std::optional<ContextSwitchResult> deferred = m_commands.runDeferredContextSwitch()) {
        if (*deferred == ContextSwitchResult::Reloaded) {
            fillTypeBox();
            applyColumns();
            afterCommand();
        } else if (*deferred == ContextSwitchResult::Failed) {
            close();
        }
    }
}

void TfrmMain::runExtension(const std::function<void(int)>& command, const QString& what)
{
    if (command) {
        const int row = currentRow();
        m_commands.runGuarded([&] { command(row); });
        afterCommand();
        return;
    }
    m_context.prompts().information(what + QStringLiteral(" not part of this build of the report manager."));
}

void TfrmMain::viewReport()
{
    if (!m_viewButton->isEnabled() || m_commands.viewInProgress()) {
        return;
    }
    runExtension(m_extensions.view, QStringLiteral("Viewing reports is"));
}

void TfrmMain::printReport()
{
    if (!m_printButton->isEnabled()) {
        return;
    }
    runExtension(m_extensions.print, QStringLiteral("Printing reports is"));
}

void TfrmMain::deleteReport()
{
    if (!m_deleteAction->isEnabled()) {
        return;
    }
    m_commands.deleteReport(currentRow());
    afterCommand();
}

void TfrmMain::refreshList()
{
    m_commands.refresh();
    afterCommand();
}

void TfrmMain::advancedFilter()
{
    m_commands.advancedFilter([this](const ReportDateFilter& current) -> std::optional<ReportDateFilter> {
        TfrmAdvSelect dialog(this);
        dialog.setDates(current.fromDay, current.thruDay);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return ReportDateFilter{dialog.fromDate(), dialog.thruDate()};
    });
    afterCommand();
}

void TfrmMain::clearFilters()
{
    if (!m_clearFiltersAction->isEnabled()) {
        return;
    }
    m_commands.clearFilters();
    afterCommand();
}

void TfrmMain::reportTypeChosen(int item)
{
    rememberColumnWidths();
    m_commands.changeReportType(item);
    m_typeBox->repaint();
    applyColumns();
    afterCommand();
}

void TfrmMain::handleContextSwitch(int code)
{
    switch (m_commands.switchContext(code)) {
    case ContextSwitchResult::Reloaded:
        fillTypeBox();
        applyColumns();
        afterCommand();
        break;
    case ContextSwitchResult::Failed:
        close();
        break;
    case ContextSwitchResult::Ignored:
    case ContextSwitchResult::Deferred:
        break;
    }
}

void TfrmMain::firstActivation()
{
    if (!m_firstActivation) {
        return;
    }
    m_firstActivation = false;
    m_context.prompts().processPendingEvents();
    if (m_commands.startupFailed()) {
        close();
        return;
    }
    updateCommandStates();
}

bool TfrmMain::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || (event->type() == QEvent::Show && m_firstActivation)) {
        // The first activation is handled once the window is on the screen.
        QTimer::singleShot(0, this, &TfrmMain::firstActivation);
    }
    return QMainWindow::event(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_grid && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (m_viewButton->isEnabled()) {
                viewReport();
            }
            return true;
        }
        if (watched == m_search && key->key() == Qt::Key_Escape) {
            m_search->clear();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!m_commands.mayClose()) {
        event->ignore();
        return;
    }
    rememberColumnWidths();
    const QRect bounds = isMaximized() ? normalGeometry() : geometry();
    m_commands.close({bounds.x(), bounds.y(), bounds.width(), bounds.height()}, isMaximized(), m_printers,
                     m_extensions.resetPrinter);
    event->accept();
}

} // namespace talmere
