#pragma once

#include <array>
#include <string_view>

namespace talmere {

// Type ids of the column table, in table order.
enum ReportTypeId : int {
    kNoReportType = 0,
    kTypeText = 1,
    kTypeCopy = 2,
    kTypeMove = 3,
    kTypeDelete = 4,
    kTypeAvailityIbr = 5,
    kTypeAvailityEbr = 6,
    kTypeAvailityDpr = 7,
    kTypeAnsi864 = 8,
    kTypeAnsi99x = 9,
    kTypeBcbsmnText = 10,
    kTypeBcbsmn2Text = 11,
    kTypeBcbstxText = 12,
    kTypeAlabamaMedicaidBrf = 13,
};
inline constexpr int kReportTypeCount = 13;
inline constexpr int kColumnsPerType = 12;

struct ColumnDefinition {
    std::string_view caption; // empty: no column
    char titleAlignment;      // 'L', 'C' or 'R'
    char dataAlignment;
    int width;
};

using ColumnRow = std::array<ColumnDefinition, kColumnsPerType>;

// The list columns of a type id (1 to 13); an id outside the table has no columns.
const ColumnRow& ColumnTableRow(int typeId);

} // namespace talmere
