#include "platform/result.h"

#include <cerrno>
#include <system_error>

namespace tagwright {

std::string Error::Message() const {
    std::string text = "cannot " + op;
    if (!path.empty())
        text += " '" + path + "'";
    if (!reason.empty())
        text += ": " + reason;
    return text;
}

namespace {

// errno codes mean the same on every platform the program builds for; Windows' own codes are
// mapped beside its file system.
ErrorKind KindOfErrno(int code) {
    switch (code) {
        case ENOENT:
        case ENOTDIR:
            return ErrorKind::kNotFound;
        case EEXIST:
        case ENOTEMPTY:
            return ErrorKind::kAlreadyExists;
        case EACCES:
        case EPERM:
        case EROFS:
            return ErrorKind::kPermissionDenied;
        case EXDEV:
            return ErrorKind::kCrossDevice;
        case EINVAL:
        case ENOSYS:
        case EOPNOTSUPP:
            return ErrorKind::kNotSupported;
        case ENAMETOOLONG:
        case EILSEQ:
            return ErrorKind::kInvalidName;
        case EISDIR:
            return ErrorKind::kIsFolder;
        case EBUSY:
        case ETXTBSY:
            return ErrorKind::kInUse;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return ErrorKind::kNoSpace;
        default:
            return ErrorKind::kOther;
    }
}

}  // namespace

const char* ErrorKindCode(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::kNotFound:
            return "not-found";
        case ErrorKind::kAlreadyExists:
            return "exists";
        case ErrorKind::kPermissionDenied:
            return "permission";
        case ErrorKind::kCrossDevice:
            return "cross-device";
        case ErrorKind::kNotSupported:
            return "not-supported";
        case ErrorKind::kInvalidName:
            return "invalid-name";
        case ErrorKind::kIsFolder:
            return "is-folder";
        case ErrorKind::kInUse:
            return "in-use";
        case ErrorKind::kNoSpace:
            return "no-space";
        case ErrorKind::kOther:
            return "other";
        case ErrorKind::kFileChanged:
            return "file-changed";
        case ErrorKind::kStranded:
            return "stranded";
        case ErrorKind::kNotRegularFile:
            return "not-regular";
        case ErrorKind::kBlankTag:
            return "blank-tag";
        case ErrorKind::kCancelled:
            return "cancelled";
    }
    return "other";
}

Error MakeSystemError(std::string op, std::string path, int code) {
    return Error{std::move(op), std::move(path), std::generic_category().message(code), code,
                 KindOfErrno(code)};
}

}  // namespace tagwright
