#include "gui/TfrmFilterFields.h"

#include "platform/ScreenMetrics.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>

#include <cmath>

namespace talmere {

namespace {

// To the nearest integer, halves to the even neighbour, whatever the floating-point rounding mode is.
double RoundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5) {
        return below + 1.0;
    }
    if (fraction < 0.5) {
        return below;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

// A size of the 96 pixels per inch design on a screen of pixelsPerInch, grown only above the threshold. The
// product is divided last, so that a value lying exactly halfway between two integers is not lost to the
// inexact quotient pixelsPerInch / 96.
double Scaled(double designed, double pixelsPerInch, double threshold)
{
    return pixelsPerInch > threshold ? designed * pixelsPerInch / 96.0 : designed;
}

// The dialog's layout grows with the screen above 100 pixels per inch; the edit boxes' widths for the fields'
// lengths above 96.
constexpr double kLayoutScaleThreshold = 100.0;
constexpr double kFieldWidthScaleThreshold = 96.0;

// Capital letters for small ones, one character for one, so that the cursor keeps its place.
QString Capitals(QString text)
{
    for (QChar& character : text) {
        character = character.toUpper();
    }
    return text;
}

// Turns whatever reaches the box by pasting, dropping or an input method into capitals.
class CapitalsValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*position*/) const override
    {
        input = Capitals(input);
        return Acceptable;
    }
};

// An edit box that takes letters as capitals. Typed keys are turned into capitals before the box sees them, which
// keeps its undo history; the validator catches the rest, at the cost of that history, since the box starts it
// anew whenever a validator changes its text.
class CapitalsEdit final : public QLineEdit {
public:
    explicit CapitalsEdit(QWidget* parent) : QLineEdit(parent) { setValidator(new CapitalsValidator(this)); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QString capitals = Capitals(event->text());
        if (capitals == event->text()) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        QKeyEvent capital(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                          event->nativeVirtualKey(), event->nativeModifiers(), capitals, event->isAutoRepeat(),
                          event->count(), event->device());
        QLineEdit::keyPressEvent(&capital);
        event->setAccepted(capital.isAccepted());
    }
};

} // namespace

int FilterEditWidth(int length, int currentWidth, double pixelsPerInch)
{
    // 0 names no limit. A negative length (the configuration loader keeps such values) is taken as no limit too:
    // the box keeps its designed width rather than shrink to nothing.
    if (length <= 0) {
        return currentWidth;
    }
    double designed = 0.0;
    if (length == 1) {
        designed = 17.0;
    } else if (length == 2) {
        designed = 30.0;
    } else if (length <= 6) {
        designed = length * 13.0;
    } else if (length <= 12) {
        designed = length * 12.0;
    } else {
        designed = length * 11.0;
    }
    const double width = RoundHalfEven(Scaled(designed, pixelsPerInch, kFieldWidthScaleThreshold));
    return width < currentWidth ? static_cast<int>(width) : currentWidth;
}

TfrmFilterFields::TfrmFilterFields(const std::array<TReportFilterFieldInfo, kFilterFieldCount>& fields, QWidget* parent,
                                   std::optional<double> pixelsPerInch)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Report Selection Criteria"));
    // The program's forms are laid out for an 8 point font.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);

    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const double ppi =
        pixelsPerInch.value_or(parent != nullptr && screen != nullptr ? screen->logicalDotsPerInch()
                                                                      : platform::PrimaryScreenMetrics().pixelsPerInch);
    const auto scaled = [ppi](int pixels) {
        return static_cast<int>(RoundHalfEven(Scaled(pixels, ppi, kLayoutScaleThreshold)));
    };

    // The rows, each edit box a fixed distance below the one before and its label a little lower than the box,
    // so that the label's text stands on the line of the box's text.
    const int firstEditTop = scaled(12);
    const int rowPitch = scaled(28);
    const QRect designedEdit(scaled(146), firstEditTop, scaled(229), scaled(21));
    int lastRowInUse = 1;
    for (int n = 0; n < kFilterFieldCount; ++n) {
        Row& row = m_rows[n];
        const int editTop = firstEditTop + n * rowPitch;

        row.label = new QLabel(this);
        row.label->setObjectName(QStringLiteral("lblFilter%1").arg(n + 1));
        row.label->setTextFormat(Qt::PlainText);
        row.label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // A name longer than the label is cut off at the label's edge.
        row.label->setGeometry(scaled(12), editTop + scaled(4), scaled(130),
                               qMax(scaled(13), row.label->fontMetrics().height()));

        row.edit = new CapitalsEdit(this);
        row.edit->setObjectName(QStringLiteral("cbeFieldFilter%1").arg(n + 1));
        row.edit->setGeometry(designedEdit.translated(0, n * rowPitch));

        const TReportFilterFieldInfo& field = fields[n];
        if (field.Name.isEmpty()) {
            row.label->hide();
            row.edit->hide();
            continue;
        }
        row.label->setText(field.Name);
        // A length of 0 or below sets no limit: the box's own maximum stays.
        if (field.Length > 0) {
            row.edit->setMaxLength(field.Length);
        }
        row.edit->resize(FilterEditWidth(field.Length, row.edit->width(), ppi), row.edit->height());
        lastRowInUse = n + 1;
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(ok, &QPushButton::clicked, this, &TfrmFilterFields::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmFilterFields::reject);

    // The buttons go below the last row in use; unused rows before it stay as gaps, those after it take no room.
    const int buttonTop = lastRowInUse * rowPitch + firstEditTop + 4;
    const int buttonHeight = scaled(25);
    ok->setGeometry(scaled(218), buttonTop, scaled(75), buttonHeight);
    cancel->setGeometry(scaled(302), buttonTop, scaled(75), buttonHeight);

    setFixedSize(scaled(386), buttonTop + buttonHeight + 8);
    if (screen != nullptr) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TfrmFilterFields::done(int result)
{
    // Read on every way out; the caller decides by the result whether the values count.
    for (int n = 0; n < kFilterFieldCount; ++n) {
        const QLineEdit* edit = m_rows[n].edit;
        m_values[n] = edit->isHidden() ? QString() : edit->text();
    }
    QDialog::done(result);
}

} // namespace talmere
