#pragma once

#include <QString>

#include <stdexcept>

// The failures a procedure can report. The numbers are the classic runtime error codes, so
// the descriptions read the way the product's reports always have.
enum class ErrorCode {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    InvalidPicture = 481,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    DeviceIoError = 57,
    FileAlreadyExists = 58,
    DiskFull = 61,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
};

QString ErrorDescription(ErrorCode code);

// Maps an errno value from a failed system call to the nearest classic error.
ErrorCode ErrorCodeFromErrno(int errnoValue);

// The one exception type that guarded steps catch.
class AppError : public std::runtime_error {
public:
    explicit AppError(ErrorCode code, int systemError = 0);
    ErrorCode code() const { return code_; }
    QString description() const { return ErrorDescription(code_); }
    // The errno value the failure came from, 0 when none: a command line says the system's
    // own words where a window box says the classic ones.
    int systemError() const { return systemError_; }

    static AppError fromErrno(int errnoValue)
    {
        return AppError(ErrorCodeFromErrno(errnoValue), errnoValue);
    }

private:
    ErrorCode code_;
    int systemError_;
};
