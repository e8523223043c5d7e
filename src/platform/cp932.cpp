#include "platform/cp932.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace tagwright {

namespace {

#ifdef _WIN32

bool IsLeadByte(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

constexpr UINT kCodePage = 932;

// One character (one or two bytes) through code page 932 itself, not the ANSI code page: the
// lead bytes that split the text are 932's, so the decoding must be too, whatever the system's
// language. MB_ERR_INVALID_CHARS makes an undecodable character an error instead of a silent
// default character.
bool DecodeOne(const std::uint8_t* p, int len, std::string& out) {
    wchar_t w[2];
    const int n = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS,
                                        reinterpret_cast<const char*>(p), len, w, 2);
    if (n <= 0)
        return false;
    out += utf8::FromWide(std::wstring_view(w, static_cast<std::size_t>(n)));
    return true;
}

#else

// iconv descriptors are expensive to open and not shareable between threads.
class Cp932Converter {
  public:
    Cp932Converter() : m_cd(::iconv_open("UTF-8", "CP932")) {}
    ~Cp932Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(m_cd);
    }
    Cp932Converter(const Cp932Converter&) = delete;
    Cp932Converter& operator=(const Cp932Converter&) = delete;

    /// Converts as much of [p, p + len) as iconv accepts, appending to out; returns how many
    /// bytes it consumed. It stops before the first byte it cannot decode.
    std::size_t DecodeRun(const std::uint8_t* p, std::size_t len, std::string& out) {
        if (m_cd == reinterpret_cast<iconv_t>(-1) || len == 0)
            return 0;
        ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        // A chunk at a time into a buffer that always has room for it, so a call costs what it
        // converts. Making room in `out` for the whole rest of the input would cost that much
        // again at every undecodable byte (quadratic over a frame full of them), and a full
        // output buffer makes glibc convert part of the input twice.
        constexpr std::size_t kChunk = 4096;
        char buffer[kChunk * 3 + 4];  // no character gives more than 3 bytes per input byte
        std::size_t done = 0;
        while (done < len) {
            const std::size_t chunk = std::min(kChunk, len - done);
            char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(p + done));
            std::size_t inLeft = chunk;
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = ::iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            done += chunk - inLeft;
            if (r != static_cast<std::size_t>(-1))
                continue;
            // A pair cut by the chunk's end goes on with the next chunk; anything else stops
            // the run before the byte iconv could not take.
            if (errno != EINVAL || done + inLeft == len || inLeft == chunk)
                break;
        }
        return done;
    }

  private:
    iconv_t m_cd;
};

#endif

}  // namespace

std::optional<std::string> Cp932DecoderProblem() {
#ifdef _WIN32
    if (!::IsValidCodePage(kCodePage))
        return "code page 932 is not installed on this system";
#else
    const iconv_t cd = ::iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string("the iconv converter from CP932 to UTF-8 cannot be opened: ") +
               std::strerror(errno);
    }
    ::iconv_close(cd);
#endif
    return std::nullopt;
}

std::string DecodeCp932(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = bytes[i];
        // ASCII is the same in code page 932 (0x5C and 0x7E included), so most tag text never
        // reaches the converter.
        if (b < 0x80) {
            std::size_t run = i + 1;
            while (run < n && bytes[run] < 0x80)
                ++run;
            out.append(reinterpret_cast<const char*>(&bytes[i]), run - i);
            i = run;
            continue;
        }
#ifdef _WIN32
        if (IsLeadByte(b) && i + 1 < n && DecodeOne(&bytes[i], 2, out)) {
            i += 2;
            continue;
        }
        if (!IsLeadByte(b) && DecodeOne(&bytes[i], 1, out)) {
            ++i;
            continue;
        }
#else
        thread_local Cp932Converter converter;
        if (const std::size_t used = converter.DecodeRun(&bytes[i], n - i, out); used > 0) {
            i += used;
            continue;
        }
#endif
        // Undecodable: one replacement for this byte, then carry on with the next byte, so a
        // bad lead byte never swallows a good character after it.
        AppendUtf8(out, U'\uFFFD');
        ++i;
    }
    return out;
}

}  // namespace tagwright
