#include "core/app_error.h"

#include <cerrno>

QString ErrorDescription(ErrorCode code)
{
    switch (code) {
    case ErrorCode::InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case ErrorCode::Overflow: return QStringLiteral("Overflow");
    case ErrorCode::OutOfMemory: return QStringLiteral("Out of memory");
    case ErrorCode::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case ErrorCode::TypeMismatch: return QStringLiteral("Type mismatch");
    case ErrorCode::InvalidPicture: return QStringLiteral("Invalid picture");
    case ErrorCode::BadFileNameOrNumber: return QStringLiteral("Bad file name or number");
    case ErrorCode::FileNotFound: return QStringLiteral("File not found");
    case ErrorCode::DeviceIoError: return QStringLiteral("Device I/O error");
    case ErrorCode::FileAlreadyExists: return QStringLiteral("File already exists");
    case ErrorCode::DiskFull: return QStringLiteral("Disk full");
    case ErrorCode::PermissionDenied: return QStringLiteral("Permission denied");
    case ErrorCode::PathFileAccessError: return QStringLiteral("Path/File access error");
    case ErrorCode::PathNotFound: return QStringLiteral("Path not found");
    }
    return QStringLiteral("Application-defined or object-defined error");
}

ErrorCode ErrorCodeFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT: return ErrorCode::FileNotFound;
    case ENOTDIR:
    case ELOOP: return ErrorCode::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return ErrorCode::PermissionDenied;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return ErrorCode::DiskFull;
    case EISDIR:
    case EBUSY:
    case ENXIO:
    case ENODEV: return ErrorCode::PathFileAccessError;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
    case EBADF: return ErrorCode::BadFileNameOrNumber;
    case EEXIST: return ErrorCode::FileAlreadyExists;
    case ENOMEM: return ErrorCode::OutOfMemory;
    default: return ErrorCode::DeviceIoError;
    }
}

AppError::AppError(ErrorCode code, int systemError)
    : std::runtime_error(ErrorDescription(code).toStdString()), code_(code),
      systemError_(systemError)
{
}
