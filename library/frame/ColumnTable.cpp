#include "library/frame/ColumnTable.h"

namespace talmere {

namespace {

constexpr ColumnDefinition L(std::string_view caption, int width)
{
    return {caption, 'L', 'L', width};
}
constexpr ColumnDefinition C(std::string_view caption, int width)
{
    return {caption, 'C', 'C', width};
}
constexpr ColumnDefinition R(std::string_view caption, int width)
{
    return {caption, 'R', 'R', width};
}

constexpr ColumnRow kNoColumns{};

constexpr ColumnRow kTextColumns{L("Date", 11), L("Time", 6), L("Description", 50), L("Archive File", 16)};

constexpr ColumnRow kAvailityBatchColumns{L("Date Rcvd", 11), L("Time", 9),          L("First Batch ID", 19),
                                          L("Payer", 11),     C("Sent", 6),          C("Accept", 6),
                                          C("Reject", 6),     L("File Ctrl No", 13), L("Archive File", 16)};

constexpr ColumnRow kAvailityDprColumns{L("Date Rcvd", 11), L("Time", 9),          L("First Batch ID", 27),
                                        L("Payer ID", 11),  L("File Ctrl No", 13), L("Archive File", 16)};

constexpr ColumnRow kAnsi864Columns{L("Date Rcvd", 11),   L("Time", 6),           L("Sender ID", 14),
                                    L("Receiver ID", 14), L("Trans Ctrl No", 14), L("Message Ref No", 25),
                                    L("Archive File", 16)};

constexpr ColumnRow kAnsi99xColumns{L("Date", 11),    L("Time", 6),      L("Serial No", 8),    C("Status", 6),
                                    L("Sender", 12),  L("Receiver", 12), L("Trans Set #", 10), R("Included", 8),
                                    R("Received", 8), R("Accepted", 8),  L("Archive File", 16)};

constexpr ColumnRow kBcbsmnColumns{L("Date", 11), L("Description", 60), L("Archive File", 16)};

constexpr ColumnRow kBrfColumns{L("Date Rcvd", 11), L("Time", 9),   L("First Track ID", 15), C("Paid", 6),
                                C("Suspend", 6),    C("Denied", 6), L("Archive File", 16)};

constexpr std::array<const ColumnRow*, kReportTypeCount> kColumnTable{
    &kTextColumns,          // 1 TEXT
    &kNoColumns,            // 2 COPY
    &kNoColumns,            // 3 MOVE
    &kNoColumns,            // 4 DELETE
    &kAvailityBatchColumns, // 5 AVAILITY_IBR
    &kAvailityBatchColumns, // 6 AVAILITY_EBR
    &kAvailityDprColumns,   // 7 AVAILITY_DPR
    &kAnsi864Columns,       // 8 ANSI_864
    &kAnsi99xColumns,       // 9 ANSI_997, ANSI_999, ANSI_99X
    &kBcbsmnColumns,        // 10 BCBSMN_TEXT
    &kTextColumns,          // 11 BCBSMN_2_TEXT
    &kTextColumns,          // 12 BCBSTX_TEXT
    &kBrfColumns,           // 13 ALABAMA_MEDICAID_BRF
};

} // namespace

const ColumnRow& ColumnTableRow(int typeId)
{
    if (typeId < 1 || typeId > kReportTypeCount) {
        return kNoColumns;
    }
    return *kColumnTable[static_cast<std::size_t>(typeId - 1)];
}

} // namespace talmere
