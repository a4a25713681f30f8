// Message texts of the SQLite layer: the code table and the two composed forms.

#include <gtest/gtest.h>

#include <string>

#include "stores/sqlite_errors.h"

namespace morvel::stores {
namespace {

TEST(SQLiteErrorText, KnownAndUnknownCodes) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {0, "Successful result"},
      {1, "SQL error or missing database"},
      {5, "The database file is locked"},
      {6, "A table in the database is locked"},
      {14, "Unable to open the database file"},
      {19, "Abort due to contraint violation"},
      {25, "2nd parameter to sqlite3_bind out of range"},
      {26, "File opened that is not a database file"},
      {100, "sqlite3_step() has another row ready"},
      {101, "sqlite3_step() has finished executing"},
      // Past the table, between and beyond the step codes, and extended codes.
      {27, "Unknown SQLite Error Code \"27\""},
      {57, "Unknown SQLite Error Code \"57\""},
      {99, "Unknown SQLite Error Code \"99\""},
      {102, "Unknown SQLite Error Code \"102\""},
      {261, "Unknown SQLite Error Code \"261\""},
      {-1, "Unknown SQLite Error Code \"-1\""},
  };
  for (const Case& c : cases) EXPECT_EQ(SQLiteErrorText(c.code), c.text) << c.code;
}

TEST(SQLiteErrorText, EveryCodeUpToTheTableEndHasItsOwnText) {
  // A shifted or missing entry would repeat a neighbour's text or fall to "Unknown".
  for (int code = 0; code <= 26; ++code) {
    EXPECT_EQ(SQLiteErrorText(code).find("Unknown"), std::string::npos) << code;
    if (code > 0) {
      EXPECT_NE(SQLiteErrorText(code), SQLiteErrorText(code - 1)) << code;
    }
  }
}

TEST(ComposeStatementError, FullFormUsesSingleCarriageReturns) {
  EXPECT_EQ(ComposeStatementError("Error executing SQL statement", 5, "database is locked",
                                  "DELETE FROM logins"),
            "Error executing SQL statement.\rError [5]: The database file is locked.\r"
            "\"DELETE FROM logins\": database is locked");
  EXPECT_EQ(ComposeStatementError("Could not retrieve data", 57, "odd", "select 1"),
            "Could not retrieve data.\rError [57]: Unknown SQLite Error Code \"57\".\r"
            "\"select 1\": odd");
}

TEST(ComposeStatementError, OperationAloneWithoutCodeOrMessage) {
  EXPECT_EQ(ComposeStatementError("Could not prepare SQL statement", 0, "not an error", ""),
            "Could not prepare SQL statement");
  EXPECT_EQ(ComposeStatementError("Error executing SQL", 1, nullptr, "x"), "Error executing SQL");
}

TEST(OpenFailureMessage, WithAndWithoutSQLiteMessage) {
  EXPECT_EQ(OpenFailureMessage("C:\\a b\\places.sqlite", "unable to open database file"),
            "Failed to open database \"C:\\a b\\places.sqlite\" : unable to open database file");
  EXPECT_EQ(OpenFailureMessage("/x/Web Data", nullptr),
            "Failed to open database \"/x/Web Data\" : unknown error");
}

}  // namespace
}  // namespace morvel::stores
