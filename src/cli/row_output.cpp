#include "cli/row_output.h"

#include <sstream>

namespace tagwright::cli {

namespace {

constexpr auto kReplaceInvalid = nlohmann::ordered_json::error_handler_t::replace;

// A name with a tab or line break must not break the table's lines.
std::string OneLine(std::string text) {
    for (char& ch : text) {
        if (ch == '\t' || ch == '\n' || ch == '\r')
            ch = ' ';
    }
    return text;
}

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
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        out << (c ? "\t" : "") << OneLine(row[static_cast<std::size_t>(c)]);
    if (error != nullptr)
        out << "\t(" << ErrorKindCode(error->kind) << ": " << error->Message() << ")";
    out << '\n';
}

void PrintPlanLine(std::ostream& out, const BatchPlan& plan, std::size_t index, bool json) {
    const PlanLine& line = plan.lines[index];
    const Error* error = line.outcome == PlanLine::Outcome::kWouldDo ? nullptr : &line.error;
    // A rule that gives thousands of files one name would make the output grow with the
    // square of the list; the first few others say enough, with their count.
    constexpr std::size_t kOthersShown = 20;
    std::vector<std::string> others;
    std::size_t otherCount = 0;
    if (line.collisionGroup >= 0) {
        const auto& group = plan.collisionGroups[static_cast<std::size_t>(line.collisionGroup)];
        otherCount = group.size() - 1;
        for (const std::size_t i : group) {
            if (i != index && others.size() < kOthersShown)
                others.push_back(plan.lines[i].path);
        }
    }
    if (json) {
        nlohmann::ordered_json j = RowJson(line.after, error);
        j["clash"] = line.clashNumber;
        j["asksFolder"] = line.asksFolder;
        if (otherCount > 0) {
            j["collision"] = others;
            j["collisionCount"] = otherCount;
        }
        out << j.dump(-1, ' ', false, kReplaceInvalid) << '\n';
        return;
    }
    std::ostringstream row;
    PrintRow(row, line.after, false, error);
    std::string text = row.str();
    text.pop_back();  // the line break, put back after the marker
    if (!others.empty()) {
        text += "\t[collides with: ";
        for (std::size_t i = 0; i < others.size(); ++i)
            text += (i ? "; " : "") + OneLine(others[i]);
        if (otherCount > others.size())
            text += "; " + std::to_string(otherCount - others.size()) + " more";
        text += ']';
    }
    out << text << '\n';
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
