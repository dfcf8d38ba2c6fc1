#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <vector>

namespace talmere {

// One report selection criterion of a report type: the name the user is asked for and the longest value.
struct TReportFilterFieldInfo {
    QString Name; // at most 24 characters; empty: the entry is not in use
    qint32 Length = 0;
};

// Alignments of a list column's title and values.
inline constexpr quint8 kAlignLeft = 0;
inline constexpr quint8 kAlignRight = 1;
inline constexpr quint8 kAlignCenter = 2;

// One list column of a report type, as the report format library describes it.
struct TReportHeaderColumnInfo {
    QString Caption; // empty: no column
    quint8 TitleAlignment = kAlignLeft;
    quint8 DataAlignment = kAlignLeft;
    qint32 Width = 0; // display width in characters
};

inline constexpr int kSearchIdentCount = 5;
inline constexpr int kParamCount = 10;
inline constexpr int kFilterFieldCount = 10;
inline constexpr int kListColumnCount = 12;

// Everything the program knows about one report type, from its section of TALMERE.INI. The numeric values
// are kept as text and are valid once the configuration has loaded.
struct TReportConfigInfoRecord {
    QString ReportFormat;
    QString ReportLoadMethod;
    QString ReportDesc;
    QString ReportContext;
    // After loading: the usable staging folders, each ending in the separator, joined by ";".
    QString StagingDirectory;
    // After loading: the usable destination folder of a COPY or MOVE type (ending in the separator), or empty.
    QString DestinationDirectory;
    QString ArchivePrefix;
    QString ArchiveDays;
    bool ContextCopyMove = false;
    QString Font;
    QString PointSize;
    QString HeaderTitleCaption;
    QString HeaderTitlePointSize;
    QString HeaderSubTitleCaption;
    QString HeaderSubTitlePointSize;
    bool PrintFooter = false;
    QString FooterPointSize;
    QString Orientation;
    QString CopyMethod;
    QString MoveMethod;
    QString MarginTopMM;
    QString MarginBottomMM;
    QString MarginLeftMM;
    QString MarginRightMM;
    QString HeaderSeparation;
    QString HeaderSubTitleSeparation;
    QString FooterSeparation;
    QString FileNameMask;
    std::array<QString, kSearchIdentCount> SearchIdent;
    std::array<QString, kParamCount> Param;
    std::array<TReportFilterFieldInfo, kFilterFieldCount> FilterFields;
    QString ReportPrinter;
    std::array<TReportHeaderColumnInfo, kListColumnCount> Columns;
};

// A report type under its name (its key in the "Report Types" section).
struct ReportTypeEntry {
    QString name;
    TReportConfigInfoRecord info;
};

// The visible report types in configuration order; other modules refer to a type by its index here.
using ReportTypeList = std::vector<ReportTypeEntry>;

// The action formats route staged files and are never listed: COPY, MOVE and DELETE (formats are stored
// in upper case, so the comparison keeps case).
inline bool IsActionFormat(const QString& format)
{
    return format == QLatin1String("COPY") || format == QLatin1String("MOVE") || format == QLatin1String("DELETE");
}

} // namespace talmere
