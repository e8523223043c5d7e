#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace tagwright {

/// What kind of refusal an operation met, so that callers can react without parsing texts.
enum class ErrorKind {
    kNotFound,
    kAlreadyExists,
    kPermissionDenied,
    kCrossDevice,
    kNotSupported,
    kInvalidName,
    kIsFolder,
    kInUse,
    kNoSpace,
    kOther,
    /// The path no longer names the file that was listed (renamed, replaced or swapped).
    kFileChanged,
    /// A step failed and the file could not be put back: `Error::path` is where it is now.
    kStranded,
    /// A FIFO, device or socket where a file was expected.
    kNotRegularFile,
    /// A tag the rule needs is blank and the user chose to leave such files.
    kBlankTag,
    /// The user refused to create a missing folder.
    kCancelled,
};

/// A short, stable name of the kind for scripts: "not-found", "file-changed", ...
const char* ErrorKindCode(ErrorKind kind);

/// The reason given when a path no longer names the listed file.
inline constexpr const char* kFileChangedReason = "the file changed after it was listed";

/// A refusal by the operating system: the operation, the path it concerned and the OS's own
/// reason ("Permission denied"). `code` is errno on POSIX and GetLastError() on Windows.
struct Error {
    std::string op;
    std::string path;
    std::string reason;
    int code = 0;
    ErrorKind kind = ErrorKind::kOther;

    /// "cannot rename 'a.mp3': Permission denied"
    std::string Message() const;
    bool operator==(const Error&) const = default;
};

/// Thrown where the tag reader's surface passes a file error on to its caller; nothing below it
/// throws one.
class FileError : public std::runtime_error {
  public:
    explicit FileError(Error error)
        : std::runtime_error(error.Message()), m_error(std::move(error)) {}
    const Error& error() const noexcept { return m_error; }

  private:
    Error m_error;
};

/// A value or the error that prevented it. C++20 has no std::expected.
template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : m_data(std::move(value)) {}      // NOLINT(google-explicit-constructor)
    Result(Error error) : m_data(std::move(error)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const noexcept { return m_data.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    T& value() & { return Get(); }
    const T& value() const& { return const_cast<Result*>(this)->Get(); }
    T&& value() && { return std::move(Get()); }
    T* operator->() { return &Get(); }
    const T* operator->() const { return &const_cast<Result*>(this)->Get(); }
    T& operator*() & { return Get(); }
    const T& operator*() const& { return const_cast<Result*>(this)->Get(); }

    /// Only valid when !ok().
    const Error& error() const { return std::get<1>(m_data); }

  private:
    // value() and its kin are only valid when ok(): a check of ok() comes first, and an
    // unchecked error is a bug (std::bad_variant_access), never a file refusal to handle.
    T& Get() { return std::get<0>(m_data); }
    std::variant<T, Error> m_data;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_ok(false) {}  // NOLINT

    bool ok() const noexcept { return m_ok; }
    explicit operator bool() const noexcept { return m_ok; }
    const Error& error() const { return m_error; }
    void ThrowIfError() const {
        if (!m_ok)
            throw FileError(m_error);
    }

  private:
    Error m_error;
    bool m_ok = true;
};

/// An Error from an errno-style code, with the OS's text for it.
Error MakeSystemError(std::string op, std::string path, int code);

}  // namespace tagwright
