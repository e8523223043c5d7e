#pragma once

#include <QString>
#include <string>

namespace tagwright {

/// The core speaks UTF-8; Qt speaks UTF-16. These are the only crossings.
inline QString ToQt(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQt(const QString& s) {
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

/// Twips to pixels at 96 dpi; Qt scales further for high-DPI screens.
constexpr int TwipsToPixels(int twips) {
    return twips / 15;
}

}  // namespace tagwright
