#include "cli/row_output.h"

namespace tagwright::cli {

namespace {

constexpr auto kReplaceInvalid = nlohmann::ordered_json::error_handler_t::replace;

}  // namespace

std::string Base64(const std::string& bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            v <<= 8;
            if (k < n)
                v |= static_cast<unsigned char>(bytes[i + k]);
        }
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

bool IsUtf8(const std::string& text) {
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

nlohmann::ordered_json RowJson(const ListStore::Row& row, const Error* error) {
    nlohmann::ordered_json j;
    const ListStore::Row& header = ListStore::HeaderTexts();
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        j[header[static_cast<std::size_t>(c)]] = row[static_cast<std::size_t>(c)];
    }
    for (const int c : {ListStore::kFileName, ListStore::kNewName, ListStore::kPath}) {
        const std::string& text = row[static_cast<std::size_t>(c)];
        if (!IsUtf8(text))
            j[header[static_cast<std::size_t>(c)] + "Bytes"] = Base64(text);
    }
    if (error != nullptr) {
        j["error"] = error->Message();
        j["errorCode"] = ErrorKindCode(error->kind);
    }
    return j;
}

void PrintHeader(std::ostream& out, bool json) {
    if (json)
        return;
    const ListStore::Row& header = ListStore::HeaderTexts();
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        out << (c ? "\t" : "") << header[static_cast<std::size_t>(c)];
    out << '\n';
}

void PrintRow(std::ostream& out, const ListStore::Row& row, bool json, const Error* error) {
    if (json) {
        out << RowJson(row, error).dump(-1, ' ', false, kReplaceInvalid) << '\n';
        return;
    }
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        std::string cell = row[static_cast<std::size_t>(c)];
        // A name with a tab or line break must not break the table's lines.
        for (char& ch : cell) {
            if (ch == '\t' || ch == '\n' || ch == '\r')
                ch = ' ';
        }
        out << (c ? "\t" : "") << cell;
    }
    if (error != nullptr)
        out << "\t(" << ErrorKindCode(error->kind) << ": " << error->Message() << ")";
    out << '\n';
}

void PrintRows(std::ostream& out, const ListStore& store, bool json) {
    PrintHeader(out, json);
    for (int r = 1; r < store.RowCount(); ++r) {
        const ListStore::Row& row = store.RowAt(r);
        if (!row[ListStore::kPath].empty())  // the placeholder row stands for no file
            PrintRow(out, row, json);
    }
}

}  // namespace tagwright::cli
