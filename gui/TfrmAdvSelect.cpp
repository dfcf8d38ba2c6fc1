#include "gui/TfrmAdvSelect.h"

#include "common/DayDate.h"
#include "gui/DateBox.h"

#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <utility>

namespace talmere {

namespace {

// Esc, and whatever else the platform takes for "cancel the dialog".
bool IsDialogCancelKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel);
}

} // namespace

TfrmAdvSelect::TfrmAdvSelect(QWidget* parent, std::function<QDate()> today)
    : QDialog(parent), m_today(std::move(today)), m_beep([] { QApplication::beep(); })
{
    setWindowTitle(QStringLiteral("Advanced Filter Criteria"));
    // The program's forms are laid out for an 8 point font.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);

    // Sizes are for 96 pixels per inch and grow with the screen's resolution above that.
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const double pixelsPerInch = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    const double scale = pixelsPerInch > 96.0 ? pixelsPerInch / 96.0 : 1.0;
    const auto scaled = [scale](int pixels) { return qRound(pixels * scale); };

    auto* group = new QGroupBox(QStringLiteral(" Enter Filter Criteria "), this);
    auto* createLabel = new QLabel(QStringLiteral("Create Date:"), group);
    m_from = new DateBox(group);
    m_from->setObjectName(QStringLiteral("CSelCreateFromDate"));
    auto* toLabel = new QLabel(QStringLiteral("to"), group);
    m_thru = new DateBox(group);
    m_thru->setObjectName(QStringLiteral("CSelCreateThruDate"));

    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(scaled(6), scaled(2), scaled(6), scaled(4));
    row->setSpacing(scaled(4));
    row->addWidget(createLabel);
    row->addWidget(m_from, 1);
    row->addWidget(toLabel);
    row->addWidget(m_thru, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    auto* clear = new QPushButton(QStringLiteral("&Clear"), this);
    clear->setObjectName(QStringLiteral("BtnClear"));

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(scaled(8));
    buttons->addStretch();
    for (QPushButton* button : {ok, cancel, clear}) {
        button->setFixedSize(scaled(75), scaled(25));
        buttons->addWidget(button);
    }

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(scaled(6), scaled(4), scaled(6), scaled(8));
    page->setSpacing(scaled(6));
    page->addWidget(group);
    page->addStretch();
    page->addLayout(buttons);

    setTabOrder(m_from, m_thru);
    setTabOrder(m_thru, ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, clear);

    connect(ok, &QPushButton::clicked, this, &TfrmAdvSelect::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmAdvSelect::reject);
    connect(clear, &QPushButton::clicked, this, &TfrmAdvSelect::clearDates);
    connect(m_thru, &DateBox::entered, this, &TfrmAdvSelect::thruEntered);

    // The dialog sees the clicks on the controls that may not take the focus from a box with an invalid date.
    // Cancel and "&Clear" may: both throw the typed text away, Cancel the whole entry and "&Clear" the boxes.
    for (QWidget* control : std::initializer_list<QWidget*>{m_from, m_thru, ok}) {
        control->installEventFilter(this);
    }

    // A font wider than the one the design size was made for widens the dialog rather than cut a date off.
    ensurePolished();
    const QSize needed = page->minimumSize();
    setFixedSize(qMax(scaled(273), needed.width()), qMax(scaled(107), needed.height()));
    if (screen != nullptr) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TfrmAdvSelect::~TfrmAdvSelect()
{
    // The controls are destroyed after this object; the focus moving among them then must not call back into it.
    m_thru->disconnect(this);
}

void TfrmAdvSelect::setDates(long fromDay, long thruDay)
{
    m_from->setDayNumber(fromDay);
    m_thru->setDayNumber(thruDay);
}

long TfrmAdvSelect::fromDate() const
{
    return m_from->dayNumber();
}

long TfrmAdvSelect::thruDate() const
{
    return m_thru->dayNumber();
}

void TfrmAdvSelect::setBeep(std::function<void()> beep)
{
    m_beep = std::move(beep);
}

void TfrmAdvSelect::accept()
{
    // OK by the Enter key or the space bar: a wrong date is not handed on.
    if (DateBox* box = invalidBoxOtherThan(nullptr)) {
        keepFocusIn(box);
        return;
    }
    QDialog::accept();
}

bool TfrmAdvSelect::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The click has given the clicked control the focus before any filter sees it: take the focus back,
        // and do not let the click act (no OK, no cursor placed in the other box).
        if (DateBox* box = invalidBoxOtherThan(watched)) {
            keepFocusIn(box);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrmAdvSelect::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab from a box with an invalid date go nowhere; from Cancel or "&Clear", which a click may
    // have reached while the box held it, they lead back to the box.
    if (DateBox* box = invalidBoxOtherThan(nullptr)) {
        keepFocusIn(box);
        return true;
    }
    return QDialog::focusNextPrevChild(next);
}

void TfrmAdvSelect::keyPressEvent(QKeyEvent* event)
{
    // The controls pass Esc on to the dialog, which would take it for Cancel: here it ends.
    if (IsDialogCancelKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmAdvSelect::clearDates()
{
    m_from->clear();
    m_thru->clear();
}

void TfrmAdvSelect::thruEntered()
{
    // A click into the thru box while the from box holds an invalid date enters it only until the focus goes
    // back; that is no entry.
    if (invalidBoxOtherThan(m_thru) != nullptr) {
        return;
    }
    const QDate today = m_today();
    if (m_thru->isEmpty() && today.isValid()) {
        m_thru->setDayNumber(DayNumber(today.year(), today.month(), today.day()));
        m_thru->selectAll();
    }
}

DateBox* TfrmAdvSelect::invalidBoxOtherThan(const QObject* widget) const
{
    for (DateBox* box : {m_from, m_thru}) {
        if (box != widget && !box->holdsValidEntry()) {
            return box;
        }
    }
    return nullptr;
}

void TfrmAdvSelect::keepFocusIn(DateBox* box)
{
    m_beep();
    if (!box->hasFocus()) {
        box->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace talmere
