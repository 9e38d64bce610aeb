#pragma once
#include <QString>

#include <stdexcept>

namespace fb {

enum class ErrorCategory {
    Other,
    LockConflict,         // another transaction holds the row (no-wait)
    ConstraintViolation,  // unique, primary, foreign key or check
    ConnectionLost,       // the engine or the network went away
    NotFound,             // the database file or an object does not exist
    Encoding,             // text that Windows-1251 cannot hold
    Usage,                // the program used the layer wrongly
};

// Every failure of the data layer. what() holds UTF-8 text for logs; the
// window shows message().
class Error : public std::runtime_error {
public:
    Error(const QString& message, long sqlcode, long gdscode, ErrorCategory category);

    const QString& message() const noexcept { return message_; }
    long sqlcode() const noexcept { return sqlcode_; }
    long gdscode() const noexcept { return gdscode_; }
    ErrorCategory category() const noexcept { return category_; }

private:
    QString message_;
    long sqlcode_;
    long gdscode_;
    ErrorCategory category_;
};

[[noreturn]] void throwUsage(const QString& message);

}  // namespace fb
