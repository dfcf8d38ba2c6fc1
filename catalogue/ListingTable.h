#pragma once

// The listing table: the scratch dBASE table in the private folder that holds the rows of the report list for
// the selected report type, one row per archived report. It is named "dyna" and four digits (the smallest
// number whose file does not exist yet), opened by this program instance alone, keeps its rows in the order they
// were added (no index), and is deleted when the program closes. Every change is in the file when the call that
// made it returns: the file then holds exactly the rows of the table, in their order, and the row count in its
// header says so, so that another program reading the file sees the table as it stands.
//
// Texts are stored as single-byte Windows ANSI (code page 1252). A value is stored cut to its field's width, up
// to a NUL character if it holds one, and without trailing blanks (a field is filled with blanks, so they cannot
// be told apart from the padding); row() gives every value exactly as it is stored.

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace talmere {

inline constexpr int kListingValueFieldCount = 12; // A_FIELD01 .. A_FIELD12
inline constexpr int kListingValueFieldWidth = 60;
inline constexpr int kListingDummyFieldWidth = 1; // A_DUMMY, always empty: the grid's filler column
inline constexpr int kListingFileFieldWidth = 40; // A_FILE
inline constexpr int kListingFieldCount = kListingValueFieldCount + 2;

// One row as the table holds it: the twelve column values and the archived file's name, each cut to its field's
// width (in single-byte characters).
struct ListingRow {
    std::array<QString, kListingValueFieldCount> values;
    QString file;

    friend bool operator==(const ListingRow&, const ListingRow&) = default;
};

// The field names in table order (field 0 to kListingFieldCount - 1): A_FIELD01 .. A_FIELD12, A_DUMMY, A_FILE;
// empty for any other number.
QString ListingFieldName(int field);

class ListingTable {
public:
    ListingTable();
    ~ListingTable(); // closes the table and deletes its file
    ListingTable(const ListingTable&) = delete;
    ListingTable& operator=(const ListingTable&) = delete;

    // Creates the table in the folder under the first free name dyna0001.dbf .. dyna9999.dbf with the fields
    // above, and opens it exclusively. A name is taken when anything exists under it, whatever the case of its
    // letters. False when no table could be made (errorText() says why); nothing of others is touched then.
    bool create(const QString& folder);
    // Opens an existing listing table exclusively: false when another open holds it (in this process or
    // another), when it cannot be read or written, or when it is no table with the listing table's fields.
    // Rows already in the file are read; a file that holds more than them (rows marked deleted, stray bytes)
    // is written again so that it holds exactly them.
    // Like create, it refuses while this object has a table open.
    bool open(const QString& path);
    bool isOpen() const;
    // The table's name without the extension ("dyna0001") and its file.
    QString tableName() const;
    QString filePath() const;
    QString errorText() const;

    int rowCount() const;
    // The row as stored; an empty row for an index out of range.
    const ListingRow& row(int index) const;

    // The changes answer true when the file holds them. When writing the file fails (a full disk, say), the
    // change is not made: the rows stay as they were, the file is written back to them where it can be (else on
    // the next change), and errorText() says what failed. Without an open table they do nothing and answer
    // false.

    // Deletes every row.
    bool clear();
    // Appends a row after the last one, its values cut to the field widths.
    bool append(const ListingRow& row);
    // Appends many rows at once, as append() would one by one.
    bool append(const std::vector<ListingRow>& rows);
    // Deletes one row; the rows after it move up. False for an index out of range.
    bool removeRow(int index);

    // Closes the table and deletes its file (also done by the destructor). Nothing when it is not open. Only
    // the file this object opened is deleted: should another file have taken its name meanwhile, it stays.
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace talmere
