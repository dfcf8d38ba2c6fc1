#pragma once

// "Report Selection Criteria": the dialog in which the user types the values that select what goes into a
// generated report. Up to ten rows, one for each of the report type's filter fields that has a name: the name as
// the row's label and an edit box that takes at most the field's length and turns letters into capitals as they
// are typed. Rows without a name are hidden and leave a gap; OK and Cancel sit below the last named row.
//
// The dialog keeps nothing between uses: it is made for one entry and read once it is closed.

#include "core/ReportTypes.h"

#include <QDialog>
#include <QString>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace talmere {

// The width of the edit box of a filter field that takes length characters, in pixels, for a box whose width is
// currentWidth on a screen of the given pixels per inch: a few pixels per character, more for short fields, grown
// with the resolution above 96 pixels per inch and rounded to the nearest integer, halves to the even neighbour.
// Never wider than currentWidth. A length of 0 names no limit and a negative one is no limit either: both keep
// currentWidth, the designed width.
int FilterEditWidth(int length, int currentWidth, double pixelsPerInch);

class TfrmFilterFields : public QDialog {
    Q_OBJECT

public:
    using Values = std::array<QString, kFilterFieldCount>;

    // fields: the report type's filter fields, in order. pixelsPerInch: the resolution the layout is made for;
    // by default that of the parent's screen, or of the primary screen without a parent.
    explicit TfrmFilterFields(const std::array<TReportFilterFieldInfo, kFilterFieldCount>& fields,
                              QWidget* parent = nullptr, std::optional<double> pixelsPerInch = std::nullopt);

    // What the user typed into each row in use, as the dialog was closed (by OK, Cancel, Esc or the title bar);
    // empty for a row not in use, and all empty until the dialog has been closed.
    const Values& values() const { return m_values; }

public slots:
    void done(int result) override;

private:
    struct Row {
        QLabel* label = nullptr;
        QLineEdit* edit = nullptr;
    };

    std::array<Row, kFilterFieldCount> m_rows;
    Values m_values;
};

} // namespace talmere
