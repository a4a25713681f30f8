#pragma once
// The one exception of the SQLite layer and the English texts its messages are made of.
// Messages use single carriage returns between their lines, as the log shows them.

#include <stdexcept>
#include <string>
#include <string_view>

namespace morvel::stores {

class ESQLiteException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The fixed English text of an SQLite result code; codes without one give
// Unknown SQLite Error Code "N".
std::string SQLiteErrorText(int code);

// The message for a failed statement: `operation` alone when `code` is 0 or SQLite gave no
// message, else operation.\rError [code]: text.\r"sql": message.
std::string ComposeStatementError(std::string_view operation, int code, const char* sqlite_message,
                                  std::string_view sql);

// The message for a database that did not open; `sqlite_message` is null when SQLite
// returned no connection to ask.
std::string OpenFailureMessage(std::string_view path, const char* sqlite_message);

}  // namespace morvel::stores
