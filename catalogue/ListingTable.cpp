#include "catalogue/ListingTable.h"

#include "core/AnsiText.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/SharedLockFile.h"

#include <QDate>

#include <shapefil.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace talmere {

namespace {

// The record: the deletion flag, then the fields in table order.
constexpr std::array<int, kListingFieldCount> kFieldWidths = [] {
    std::array<int, kListingFieldCount> widths{};
    for (int i = 0; i < kListingValueFieldCount; ++i) {
        widths[static_cast<std::size_t>(i)] = kListingValueFieldWidth;
    }
    widths[kListingValueFieldCount] = kListingDummyFieldWidth;
    widths[kListingValueFieldCount + 1] = kListingFileFieldWidth;
    return widths;
}();
constexpr int kRecordLength =
    1 + kListingValueFieldCount * kListingValueFieldWidth + kListingDummyFieldWidth + kListingFileFieldWidth;
constexpr std::size_t kRecordSize = kRecordLength;
// The file header, one descriptor per field and the descriptors' terminator.
constexpr int kHeaderLength = 32 + 32 * kListingFieldCount + 1;

constexpr int kLastTableNumber = 9999;
// Windows ANSI: recorded in the header's language driver byte, so that other readers decode the text as we do.
constexpr const char* kLanguageDriver = "LDID/87";
// The byte whose lock makes an open exclusive (a lock of the open file, so a second open in this process is refused
// as well as one in another): far beyond anything the file will ever hold, so that the lock is in the way of no
// read or write of the table's data, ours or another reader's.
constexpr std::uint64_t kExclusiveLockOffset = std::uint64_t{1} << 40;
constexpr std::size_t kStreamBufferSize = 32 * 1024;
constexpr const char* kFileReplaced = "the file was removed or replaced by another program";

constexpr int FieldOffset(int field)
{
    int offset = 1;
    for (int i = 0; i < field; ++i) {
        offset += kFieldWidths[static_cast<std::size_t>(i)];
    }
    return offset;
}

constexpr std::array<int, kListingFieldCount> kFieldOffsets = [] {
    std::array<int, kListingFieldCount> offsets{};
    for (int i = 0; i < kListingFieldCount; ++i) {
        offsets[static_cast<std::size_t>(i)] = FieldOffset(i);
    }
    return offsets;
}();

// ---- The file under the table engine ----
//
// The engine reaches files through hooks. Ours keep it to the one file of the table, whatever names it derives
// from the table's (it would open "x.dbf" for "x.DBF" and look for, or remove, a code page file "x.cpg" beside
// it), catch the system's reason for a failed write, and spare it a system call per record: it seeks before
// every record it writes, and a seek flushes the stream, so a seek to where the stream already is gets skipped.

struct TableStream {
    std::FILE* file = nullptr;
    std::uint64_t position = 0;
    bool positionKnown = true;
    // Reads and writes of one stream must be parted by a seek; a skipped seek is made up for at the turn.
    enum class Direction { None, Reading, Writing } direction = Direction::None;
};

// What the hooks serve while the engine is called: the table's file and the first failure met. The engine's hooks
// carry nothing of their own, so every call into it names its table here for the time of the call.
struct HookTarget {
    std::string path;
    std::string failure;
};

thread_local HookTarget* t_target = nullptr;

class HookScope {
public:
    explicit HookScope(HookTarget& target) : m_previous(t_target) { t_target = &target; }
    ~HookScope() { t_target = m_previous; }
    HookScope(const HookScope&) = delete;
    HookScope& operator=(const HookScope&) = delete;

private:
    HookTarget* m_previous;
};

void RecordFailure(const std::string& text)
{
    if (t_target != nullptr && t_target->failure.empty()) {
        t_target->failure = text;
    }
}

void RecordSystemFailure(int error)
{
    RecordFailure(error != 0 ? std::strerror(error) : "the system reported an error");
}

TableStream* Stream(SAFile file)
{
    return reinterpret_cast<TableStream*>(file);
}

bool HasTableExtension(std::string_view name)
{
    if (name.size() < 4) {
        return false;
    }
    const std::string_view extension = name.substr(name.size() - 4);
    return extension == ".dbf" || extension == ".DBF";
}

SAFile OpenStream(const char* name, const char* access)
{
    if (t_target == nullptr || !HasTableExtension(name)) {
        return nullptr;
    }
    std::string mode = access;
#ifdef __GLIBC__
    mode += 'e'; // not inherited by the programs this program starts
#endif
    std::FILE* file = std::fopen(t_target->path.c_str(), mode.c_str());
    if (file == nullptr) {
        RecordSystemFailure(errno);
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IOFBF, kStreamBufferSize);
    auto* stream = new TableStream;
    stream->file = file;
    return reinterpret_cast<SAFile>(stream);
}

bool Turn(TableStream& stream, TableStream::Direction direction)
{
    if (stream.direction != TableStream::Direction::None && stream.direction != direction &&
        std::fseek(stream.file, 0, SEEK_CUR) != 0) {
        RecordSystemFailure(errno);
        return false;
    }
    stream.direction = direction;
    return true;
}

SAOffset ReadStream(void* buffer, SAOffset size, SAOffset count, SAFile file)
{
    TableStream& stream = *Stream(file);
    if (!Turn(stream, TableStream::Direction::Reading)) {
        return 0;
    }
    const std::size_t read = std::fread(buffer, size, count, stream.file);
    stream.position += read * size;
    if (read != count) {
        stream.positionKnown = false; // a short read may have read part of an item
    }
    return read;
}

SAOffset WriteStream(void* buffer, SAOffset size, SAOffset count, SAFile file)
{
    TableStream& stream = *Stream(file);
    if (!Turn(stream, TableStream::Direction::Writing)) {
        return 0;
    }
    const std::size_t written = std::fwrite(buffer, size, count, stream.file);
    stream.position += written * size;
    if (written != count) {
        RecordSystemFailure(errno);
        stream.positionKnown = false;
    }
    return written;
}

SAOffset SeekStream(SAFile file, SAOffset offset, int whence)
{
    TableStream& stream = *Stream(file);
    if (whence == SEEK_SET && stream.positionKnown && offset == stream.position) {
        return 0;
    }
    if (std::fseek(stream.file, static_cast<long>(offset), whence) != 0) {
        RecordSystemFailure(errno);
        stream.positionKnown = false;
        return static_cast<SAOffset>(-1);
    }
    stream.direction = TableStream::Direction::None;
    const long position = std::ftell(stream.file);
    stream.positionKnown = position >= 0;
    stream.position = static_cast<std::uint64_t>(position);
    return 0;
}

SAOffset TellStream(SAFile file)
{
    const TableStream& stream = *Stream(file);
    return stream.positionKnown ? stream.position : static_cast<SAOffset>(std::ftell(stream.file));
}

int FlushStream(SAFile file)
{
    TableStream& stream = *Stream(file);
    const int result = std::fflush(stream.file);
    if (result != 0) {
        RecordSystemFailure(errno);
    }
    return result;
}

int CloseStream(SAFile file)
{
    TableStream* stream = Stream(file);
    const int result = std::fclose(stream->file);
    if (result != 0) {
        RecordSystemFailure(errno);
    }
    delete stream;
    return result;
}

// Files beside the table are not the table's: nothing is removed.
int KeepFile(const char*)
{
    return 0;
}

void EngineError(const char* message)
{
    RecordFailure(message);
}

SAHooks TableHooks()
{
    SAHooks hooks{};
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = OpenStream;
    hooks.FRead = ReadStream;
    hooks.FWrite = WriteStream;
    hooks.FSeek = SeekStream;
    hooks.FTell = TellStream;
    hooks.FFlush = FlushStream;
    hooks.FClose = CloseStream;
    hooks.Remove = KeepFile;
    hooks.Error = EngineError;
    return hooks;
}

// ---- Values as the file stores them ----

// The byte of a character in code page 1252; "?" for a character it lacks.
char AnsiByte(QChar character)
{
    const char16_t code = character.unicode();
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<char>(code);
    }
    return ToAnsi(QString(character)).front();
}

// Writes a value into its field; changed tells whether the field gives back another value (cut, a character the
// code page lacks, trailing blanks).
std::size_t WriteField(char* field, int width, const QString& value, bool& changed)
{
    const auto size = static_cast<std::size_t>(width);
    std::size_t length = 0;
    changed = false;
    for (const QChar character : value) {
        const char byte = AnsiByte(character);
        if (byte == '\0' || length == size) {
            changed = true;
            break;
        }
        changed = changed || (byte == '?' && character != QLatin1Char('?'));
        field[length++] = byte;
    }
    while (length > 0 && field[length - 1] == ' ') {
        --length;
        changed = true;
    }
    std::memset(field + length, ' ', size - length);
    return length;
}

// Writes a value into its field and answers the value as the field gives it back.
QString StoreField(char* field, int width, const QString& value)
{
    bool changed = false;
    const std::size_t length = WriteField(field, width, value, changed);
    return changed ? FromAnsi(std::string_view(field, length)) : value;
}

QString ReadField(const char* field, int width)
{
    std::string_view bytes(field, static_cast<std::size_t>(width));
    bytes = bytes.substr(0, bytes.find('\0'));
    while (!bytes.empty() && bytes.back() == ' ') {
        bytes.remove_suffix(1);
    }
    return FromAnsi(bytes);
}

// Fills a record with a row and answers the row as the record holds it.
ListingRow StoreRow(char* record, const ListingRow& row)
{
    ListingRow stored;
    record[0] = ' '; // not deleted
    for (int i = 0; i < kListingValueFieldCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        stored.values[at] = StoreField(record + kFieldOffsets[at], kFieldWidths[at], row.values[at]);
    }
    std::memset(record + kFieldOffsets[kListingValueFieldCount], ' ', kListingDummyFieldWidth);
    stored.file = StoreField(record + kFieldOffsets[kListingValueFieldCount + 1], kListingFileFieldWidth, row.file);
    return stored;
}

// Fills a record with a row as stored.
void WriteRecord(char* record, const ListingRow& row)
{
    bool changed = false;
    record[0] = ' ';
    for (int i = 0; i < kListingValueFieldCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        WriteField(record + kFieldOffsets[at], kFieldWidths[at], row.values[at], changed);
    }
    std::memset(record + kFieldOffsets[kListingValueFieldCount], ' ', kListingDummyFieldWidth);
    WriteField(record + kFieldOffsets[kListingValueFieldCount + 1], kListingFileFieldWidth, row.file, changed);
}

ListingRow ReadRow(const char* record)
{
    ListingRow row;
    for (int i = 0; i < kListingValueFieldCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        row.values[at] = ReadField(record + kFieldOffsets[at], kFieldWidths[at]);
    }
    row.file = ReadField(record + kFieldOffsets[kListingValueFieldCount + 1], kListingFileFieldWidth);
    return row;
}

bool HasListingFields(DBFHandle table)
{
    if (DBFGetFieldCount(table) != kListingFieldCount || table->nRecordLength != kRecordLength) {
        return false;
    }
    for (int i = 0; i < kListingFieldCount; ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int decimals = 0;
        if (DBFGetFieldInfo(table, i, name, &width, &decimals) != FTString || DBFGetNativeFieldType(table, i) != 'C' ||
            QString::fromLatin1(name).compare(ListingFieldName(i), Qt::CaseInsensitive) != 0 ||
            width != kFieldWidths[static_cast<std::size_t>(i)] || decimals != 0) {
            return false;
        }
    }
    return true;
}

QString BaseName(const std::string& path)
{
    std::string name = path.substr(path.find_last_of(platform::kSeparator) + 1);
    if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return FromNativePath(name);
}

QString Quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString ListingFieldName(int field)
{
    if (field >= 0 && field < kListingValueFieldCount) {
        return QStringLiteral("A_FIELD%1").arg(field + 1, 2, 10, QLatin1Char('0'));
    }
    if (field == kListingValueFieldCount) {
        return QStringLiteral("A_DUMMY");
    }
    if (field == kListingValueFieldCount + 1) {
        return QStringLiteral("A_FILE");
    }
    return {};
}

struct ListingTable::Impl {
    platform::SharedLockFile lock; // open, with the exclusive byte locked, while the table is open
    QString filePath;
    QString tableName;
    QString error;
    HookTarget target;
    SAHooks hooks = TableHooks();
    DBFHandle dbf = nullptr;
    std::vector<ListingRow> rows; // as stored: writing one again gives the bytes the file holds
    // False after a failed write, when the file may hold anything: the next change writes all of it.
    bool fileInStep = true;

    bool fail(const QString& text)
    {
        error = text;
        return false;
    }

    QString writeFailure() const
    {
        const QString reason = target.failure.empty() ? QStringLiteral("the table engine refused the change")
                                                      : QString::fromLocal8Bit(target.failure);
        return QStringLiteral("Unable to write the listing table %1: %2.").arg(Quoted(filePath), reason);
    }

    void closeEngine()
    {
        if (dbf != nullptr) {
            const HookScope scope(target);
            DBFClose(dbf);
            dbf = nullptr;
        }
    }

    // Appends the records from first on to the file, which holds those before it, and puts the new row count in
    // the header.
    bool writeRecords(std::size_t first)
    {
        const HookScope scope(target);
        const std::size_t count = rows.size();
        bool written = true;
        if (first < count) {
            // The end-of-file mark goes after the last record only, not after each on the way.
            DBFSetWriteEndOfFileChar(dbf, 0);
            std::array<char, kRecordSize> record{};
            for (std::size_t i = first; i < count && written; ++i) {
                WriteRecord(record.data(), rows[i]);
                written = DBFWriteTuple(dbf, static_cast<int>(i), record.data()) != 0;
            }
            DBFSetWriteEndOfFileChar(dbf, 1);
        }
        // Writes the last record, the header and the stream's buffer.
        DBFUpdateHeader(dbf);
        return written && target.failure.empty() && DBFGetRecordCount(dbf) == static_cast<int>(count);
    }

    // Writes the whole file again: the engine marks rows deleted but cannot take them out, nor lower the count.
    // The file keeps its identity (it is emptied, not replaced), so the lock on it stays.
    bool writeAll()
    {
        closeEngine();
        target.failure.clear();
        if (!lock.isOpenAt(target.path)) {
            target.failure = kFileReplaced;
            return fileInStep = false;
        }
        const HookScope scope(target);
        dbf = DBFCreateLL(target.path.c_str(), kLanguageDriver, &hooks);
        bool written = dbf != nullptr;
        for (int i = 0; written && i < kListingFieldCount; ++i) {
            written = DBFAddField(dbf, ListingFieldName(i).toLatin1().constData(), FTString,
                                  kFieldWidths[static_cast<std::size_t>(i)], 0) == i;
        }
        if (written) {
            const QDate today = QDate::currentDate();
            DBFSetLastModifiedDate(dbf, today.year() - 1900, today.month(), today.day());
            written = writeRecords(0);
        }
        return fileInStep = written;
    }

    bool writeAppended(std::size_t first)
    {
        target.failure.clear();
        if (!lock.isOpenAt(target.path)) {
            target.failure = kFileReplaced;
            return fileInStep = false;
        }
        if (fileInStep && dbf != nullptr && DBFGetRecordCount(dbf) == static_cast<int>(first)) {
            return fileInStep = writeRecords(first);
        }
        return writeAll();
    }

    // After a failed change, whose rows have been put back: the file is written back to them.
    bool undo()
    {
        const QString text = writeFailure();
        writeAll();
        return fail(text);
    }

    void release(bool deleteFile)
    {
        closeEngine();
        if (deleteFile && platform::Exists(target.path)) {
            if (!lock.isOpenAt(target.path)) {
                error = QStringLiteral("The listing table %1 was not deleted: another file has taken its place.")
                            .arg(Quoted(filePath));
            } else if (!platform::RemoveFile(target.path)) {
                error = QStringLiteral("Unable to delete the listing table %1.").arg(Quoted(filePath));
            }
        }
        lock.close(); // only now: until the file is gone, no other open may take it
        target.path.clear();
        filePath.clear();
        tableName.clear();
        rows.clear();
        rows.shrink_to_fit();
        fileInStep = true;
    }

    enum class Adopted { Yes, TakenByOther, Failed };

    // Takes a file this object has just created as the table's.
    Adopted adoptNew(const std::string& newPath)
    {
        const QString shown = Quoted(FromNativePath(newPath));
        if (!lock.open(newPath)) {
            platform::RemoveFile(newPath);
            fail(QStringLiteral("Unable to create the listing table %1: the new file cannot be opened.").arg(shown));
            return Adopted::Failed;
        }
        switch (lock.lockRange(kExclusiveLockOffset, 1)) {
        case platform::SharedLockFile::LockResult::Locked:
            break;
        case platform::SharedLockFile::LockResult::HeldByOther:
            lock.close(); // someone else opened it the moment it appeared: theirs now
            return Adopted::TakenByOther;
        case platform::SharedLockFile::LockResult::Failed:
            lock.close();
            platform::RemoveFile(newPath);
            fail(QStringLiteral("Unable to create the listing table %1: the file system cannot lock it, so it "
                                "cannot be opened exclusively.")
                     .arg(shown));
            return Adopted::Failed;
        }
        target.path = newPath;
        filePath = FromNativePath(newPath);
        tableName = BaseName(newPath);
        if (!writeAll()) {
            const QString text =
                QStringLiteral("Unable to create the listing table %1: %2.")
                    .arg(shown, QString::fromLocal8Bit(target.failure.empty() ? "the table engine refused it"
                                                                              : target.failure));
            release(true);
            fail(text);
            return Adopted::Failed;
        }
        return Adopted::Yes;
    }

    // Reads the rows of a table just opened; false when it is no listing table or cannot be read.
    bool readRows(const QString& shown)
    {
        const HookScope scope(target);
        if (!HasListingFields(dbf)) {
            return fail(QStringLiteral("Unable to open the listing table %1: its fields are not those of a "
                                       "listing table.")
                            .arg(shown));
        }
        const int count = DBFGetRecordCount(dbf);
        bool exact = dbf->nHeaderLength == kHeaderLength;
        rows.reserve(static_cast<std::size_t>(count));
        std::string record(kRecordSize, ' ');
        for (int i = 0; i < count; ++i) {
            const char* tuple = DBFReadTuple(dbf, i);
            if (tuple == nullptr) {
                return fail(QStringLiteral("Unable to open the listing table %1: its rows cannot be read.").arg(shown));
            }
            if (tuple[0] == '*') {
                exact = false;
                continue;
            }
            rows.push_back(StoreRow(record.data(), ReadRow(tuple)));
            exact = exact && std::memcmp(record.data(), tuple, kRecordSize) == 0;
        }
        std::error_code sizeError;
        const std::uintmax_t size = std::filesystem::file_size(target.path, sizeError);
        exact = exact && !sizeError && size == kHeaderLength + rows.size() * kRecordSize + 1 && count == rowsCount();
        if (!exact && !writeAll()) {
            return fail(writeFailure());
        }
        return true;
    }

    int rowsCount() const { return static_cast<int>(rows.size()); }
};

ListingTable::ListingTable() : m_impl(std::make_unique<Impl>()) {}

ListingTable::~ListingTable()
{
    close();
}

bool ListingTable::create(const QString& folder)
{
    Impl& table = *m_impl;
    if (isOpen()) {
        return table.fail(QStringLiteral("The listing table %1 is open already.").arg(Quoted(table.filePath)));
    }
    table.error.clear();
    std::string folderPath = ToNativePath(folder);
    if (folder.isEmpty() || !platform::IsDirectory(folderPath)) {
        return table.fail(
            QStringLiteral("Unable to create the listing table: the folder %1 does not exist.").arg(Quoted(folder)));
    }
    if (folderPath.back() != platform::kSeparator) {
        folderPath += platform::kSeparator;
    }
    // Names differing in case only would name one file on the file systems the program shares folders with.
    std::set<QString> taken;
    for (const platform::FolderEntry& entry : platform::ListFolder(folderPath, "dyna*.dbf")) {
        taken.insert(FromNativePath(entry.name).toLower());
    }
    for (int number = 1; number <= kLastTableNumber; ++number) {
        const QString name = QStringLiteral("dyna%1.dbf").arg(number, 4, 10, QLatin1Char('0'));
        if (taken.count(name) != 0) {
            continue;
        }
        const std::string path = folderPath + ToNativePath(name);
        switch (platform::CreateFileOnce(path, {})) {
        case platform::CreateOutcome::Existed:
            continue;
        case platform::CreateOutcome::Failed:
            return table.fail(QStringLiteral("Unable to create the listing table in the folder %1: no file can be "
                                             "created there.")
                                  .arg(Quoted(folder)));
        case platform::CreateOutcome::Created:
            switch (table.adoptNew(path)) {
            case Impl::Adopted::Yes:
                return true;
            case Impl::Adopted::TakenByOther:
                continue;
            case Impl::Adopted::Failed:
                return false;
            }
        }
    }
    return table.fail(QStringLiteral("Unable to create the listing table in the folder %1: every name from "
                                     "dyna0001.dbf to dyna9999.dbf is in use.")
                          .arg(Quoted(folder)));
}

bool ListingTable::open(const QString& path)
{
    Impl& table = *m_impl;
    if (isOpen()) {
        return table.fail(QStringLiteral("The listing table %1 is open already.").arg(Quoted(table.filePath)));
    }
    table.error.clear();
    const QString shown = Quoted(path);
    const std::string nativePath = ToNativePath(path);
    if (path.isEmpty() || !platform::IsRegularFile(nativePath)) {
        return table.fail(QStringLiteral("Unable to open the listing table %1: there is no such file.").arg(shown));
    }
    if (!table.lock.open(nativePath)) {
        return table.fail(
            QStringLiteral("Unable to open the listing table %1: the file cannot be read and written.").arg(shown));
    }
    switch (table.lock.lockRange(kExclusiveLockOffset, 1)) {
    case platform::SharedLockFile::LockResult::Locked:
        break;
    case platform::SharedLockFile::LockResult::HeldByOther:
        table.lock.close();
        return table.fail(QStringLiteral("Unable to open the listing table %1: it is open already, in this program "
                                         "or another.")
                              .arg(shown));
    case platform::SharedLockFile::LockResult::Failed:
        table.lock.close();
        return table.fail(QStringLiteral("Unable to open the listing table %1: the file system cannot lock it, so it "
                                         "cannot be opened exclusively.")
                              .arg(shown));
    }
    table.target.path = nativePath;
    table.filePath = path;
    table.tableName = BaseName(nativePath);
    {
        const HookScope scope(table.target);
        table.target.failure.clear();
        table.dbf = DBFOpenLL(nativePath.c_str(), "rb+", &table.hooks);
    }
    if (table.dbf == nullptr) {
        table.release(false);
        return table.fail(QStringLiteral("Unable to open the listing table %1: it is no dBASE table.").arg(shown));
    }
    if (!table.readRows(shown)) {
        const QString text = table.error;
        table.release(false);
        return table.fail(text);
    }
    return true;
}

bool ListingTable::isOpen() const
{
    return m_impl->lock.isOpen();
}

QString ListingTable::tableName() const
{
    return m_impl->tableName;
}

QString ListingTable::filePath() const
{
    return m_impl->filePath;
}

QString ListingTable::errorText() const
{
    return m_impl->error;
}

int ListingTable::rowCount() const
{
    return m_impl->rowsCount();
}

const ListingRow& ListingTable::row(int index) const
{
    static const ListingRow kNoRow;
    const std::vector<ListingRow>& rows = m_impl->rows;
    return index >= 0 && index < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(index)] : kNoRow;
}

bool ListingTable::clear()
{
    Impl& table = *m_impl;
    if (!isOpen()) {
        return table.fail(QStringLiteral("The listing table is not open."));
    }
    if (table.rows.empty() && table.fileInStep) {
        return true;
    }
    std::vector<ListingRow> rows = std::move(table.rows);
    table.rows.clear();
    if (table.writeAll()) {
        return true;
    }
    table.rows = std::move(rows);
    return table.undo();
}

bool ListingTable::append(const ListingRow& row)
{
    return append(std::vector<ListingRow>{row});
}

bool ListingTable::append(const std::vector<ListingRow>& rows)
{
    Impl& table = *m_impl;
    if (!isOpen()) {
        return table.fail(QStringLiteral("The listing table is not open."));
    }
    const std::size_t first = table.rows.size();
    if (rows.empty() && table.fileInStep) {
        return true;
    }
    if (const std::size_t needed = first + rows.size(); needed > table.rows.capacity()) {
        table.rows.reserve(std::max(needed, 2 * table.rows.capacity())); // one row at a time stays linear
    }
    std::array<char, kRecordSize> record{};
    for (const ListingRow& row : rows) {
        table.rows.push_back(StoreRow(record.data(), row));
    }
    if (table.writeAppended(first)) {
        return true;
    }
    table.rows.resize(first);
    return table.undo();
}

bool ListingTable::removeRow(int index)
{
    Impl& table = *m_impl;
    if (!isOpen()) {
        return table.fail(QStringLiteral("The listing table is not open."));
    }
    if (index < 0 || index >= table.rowsCount()) {
        return table.fail(QStringLiteral("The listing table has no row %1.").arg(index));
    }
    const auto at = static_cast<std::size_t>(index);
    ListingRow removed = std::move(table.rows[at]);
    table.rows.erase(table.rows.begin() + index);
    if (table.writeAll()) {
        return true;
    }
    table.rows.insert(table.rows.begin() + index, std::move(removed));
    return table.undo();
}

void ListingTable::close()
{
    if (isOpen()) {
        m_impl->release(true);
    }
}

} // namespace talmere
