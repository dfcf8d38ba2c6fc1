/* A C program that uses the report format library through its C header alone, linked against it as any C
 * caller would be: the columns of a format, a listing of a missing folder, a custom match of a format that has
 * none, and the status texts. Prints what differs and ends with 1, or ends with 0. */

#include "talmrdll.h"

#include <stdio.h>
#include <string.h>

static int failures = 0;

static void expect_status(const char* what, int32_t actual, int32_t expected)
{
    if (actual != expected) {
        printf("%s: status %d, expected %d\n", what, (int)actual, (int)expected);
        ++failures;
    }
}

static void expect_text(const char* what, const char* actual, const char* expected)
{
    if (actual == NULL || strcmp(actual, expected) != 0) {
        printf("%s: \"%s\", expected \"%s\"\n", what, actual != NULL ? actual : "(null)", expected);
        ++failures;
    }
}

/* Stores a value in a short string field: the length byte, then the characters. */
static void set_field(unsigned char* field, size_t capacity, const char* value)
{
    size_t length = strlen(value);
    if (length > capacity) {
        length = capacity;
    }
    memset(field, 0, capacity + 1);
    field[0] = (unsigned char)length;
    memcpy(field + 1, value, length);
}

#define SET_FIELD(field, value) set_field((field), sizeof(field) - 1, (value))

/* The characters of a short string field, as a C string. */
static const char* field_text(const unsigned char* field, size_t capacity, char* buffer)
{
    size_t length = field[0] <= capacity ? field[0] : capacity;
    memcpy(buffer, field + 1, length);
    buffer[length] = '\0';
    return buffer;
}

#define FIELD_TEXT(field, buffer) field_text((field), sizeof(field) - 1, (buffer))

int main(int argc, char** argv)
{
    TReportViewerRequest request;
    char text[256];
    const char* folder = argc > 1 ? argv[1] : "/nonexistent-talmere-folder/";

    memset(&request, 0, sizeof request);
    request.CenturyDatePivotYear = 65;
    SET_FIELD(request.ReportFormat, "ANSI_999");
    expect_status("RetrieveListColumnDetails ANSI_999", RetrieveListColumnDetails(&request), TALMR_STATUS_SUCCESS);
    expect_text("first column caption", FIELD_TEXT(request.ColumnDetails[0].Caption, text), "Date");
    expect_text("first column title alignment", FIELD_TEXT(request.ColumnDetails[0].TitleAlignment, text), "L");
    expect_text("fourth column title alignment", FIELD_TEXT(request.ColumnDetails[3].TitleAlignment, text), "C");
    if (request.ColumnDetails[0].Width <= 0) {
        printf("first column width: %d, expected a positive width\n", (int)request.ColumnDetails[0].Width);
        ++failures;
    }

    SET_FIELD(request.ReportFormat, "NO_SUCH_FORMAT");
    expect_status("RetrieveListColumnDetails of an unknown format", RetrieveListColumnDetails(&request),
                  TALMR_STATUS_TYPE_NOT_SUPPORTED);

    SET_FIELD(request.ReportFormat, "TEXT");
    SET_FIELD(request.ArchivePrefix, "TX");
    SET_FIELD(request.ReportPath, folder);
    SET_FIELD(request.OutputPath, "/nonexistent-talmere-folder/TALMRDTX.DIR");
    expect_status("CreateDirectoryListingFile of a missing folder", CreateDirectoryListingFile(&request),
                  TALMR_STATUS_FOLDER_MISSING);
    expect_status("PerformCustomMatchTest of TEXT", PerformCustomMatchTest(&request), TALMR_STATUS_NO_CUSTOM_MATCH);

    expect_text("status text 2", GetReportViewerStatusMessage(TALMR_STATUS_TYPE_NOT_SUPPORTED),
                "Report type not supported.");
    expect_text("status text 4", GetReportViewerStatusMessage(TALMR_STATUS_FOLDER_MISSING),
                "Report directory does not exist.");

    if (failures == 0) {
        printf("the C interface works\n");
    }
    return failures == 0 ? 0 : 1;
}
