#include "cli/row_output.h"

#include "platform/byte_words.h"
#include "platform/utf8.h"

namespace tagwright::cli {

namespace {

constexpr auto kFlushEvery = std::chrono::milliseconds(50);

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

bool IsUtf8(std::string_view text) {
    return utf8::IsValid(text);
}

RowStream::RowStream(std::ostream& out, bool flushEachRow)
    : m_out(out), m_flushEachRow(flushEachRow), m_lastFlush(std::chrono::steady_clock::now()) {}

void RowStream::Line(std::string_view line) {
    m_out.write(line.data(), static_cast<std::streamsize>(line.size()));
    RowDone();
}

void RowStream::RowDone() {
    if (!m_flushEachRow && m_flushedOnce) {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastFlush < kFlushEvery)
            return;
        m_lastFlush = now;
    }
    m_flushedOnce = true;
    m_out.flush();
}

void RowPrinter::Header() {
    if (m_json)
        return;
    const ListStore::Row& header = ListStore::HeaderTexts();
    std::ostream& out = m_stream.Out();
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        out << (c ? "\t" : "") << header[static_cast<std::size_t>(c)];
    out << '\n';
}

namespace {

// A name with a tab or line break must not break the table's lines: those become blanks.
void AppendOneLine(std::string& out, std::string_view text) {
    const std::size_t from = out.size();
    out.append(text);
    for (std::size_t i = from; i < out.size();) {
        // All three are below 0x0E, which names hardly ever hold: eight bytes at a time while
        // none is.
        if (i + 8 <= out.size() && !bytewords::AnyBelow(bytewords::At(out, i), 0x0E)) {
            i += 8;
            continue;
        }
        if (out[i] == '\t' || out[i] == '\n' || out[i] == '\r')
            out[i] = ' ';
        ++i;
    }
}

void WriteOneLine(std::ostream& out, std::string_view text) {
    std::string line;
    AppendOneLine(line, text);
    out << line;
}

}  // namespace

void RowPrinter::Row(const ListStore::Row& row, const Error* error) {
    if (m_json) {
        RowJson(row, error);
        m_stream.Line(m_line.End());
        return;
    }
    RowText(row, error);
    m_stream.Out() << '\n';
    m_stream.RowDone();
}

void RowPrinter::RowJson(const ListStore::Row& row, const Error* error) {
    const ListStore::Row& header = ListStore::HeaderTexts();
    m_line.Begin();
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        m_line.Text(header[static_cast<std::size_t>(c)], row[static_cast<std::size_t>(c)]);
    for (const int c : {ListStore::kFileName, ListStore::kNewName, ListStore::kPath}) {
        const std::string& text = row[static_cast<std::size_t>(c)];
        if (!IsUtf8(text))
            m_line.Text(header[static_cast<std::size_t>(c)] + "Bytes", Base64(text));
    }
    if (error != nullptr)
        m_line.Text("error", error->Message()).Text("errorCode", ErrorKindCode(error->kind));
}

void RowPrinter::RowText(const ListStore::Row& row, const Error* error) {
    std::ostream& out = m_stream.Out();
    // The line is put together first: a stream write per cell cost more than the cells.
    m_text.clear();
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        if (c != 0)
            m_text += '\t';
        AppendOneLine(m_text, row[static_cast<std::size_t>(c)]);
    }
    out << m_text;
    if (error != nullptr)
        out << "\t(" << ErrorKindCode(error->kind) << ": " << error->Message() << ")";
}

void RowPrinter::PlanLine(const BatchPlan& plan, std::size_t index) {
    const tagwright::PlanLine& line = plan.lines[index];
    const Error* error = line.outcome == PlanLine::Outcome::kWouldDo ? nullptr : &line.error;
    // A rule that gives thousands of files one name would make the output grow with the
    // square of the list; the first few others say enough, with their count.
    constexpr std::size_t kOthersShown = 20;
    std::vector<const std::string*> others;
    std::size_t otherCount = 0;
    if (line.collisionGroup >= 0) {
        const auto& group = plan.collisionGroups[static_cast<std::size_t>(line.collisionGroup)];
        otherCount = group.size() - 1;
        for (const std::size_t i : group) {
            if (i != index && others.size() < kOthersShown)
                others.push_back(&plan.lines[i].path);
        }
    }
    if (m_json) {
        RowJson(line.after, error);
        m_line.Number("clash", line.clashNumber).Bool("asksFolder", line.asksFolder);
        if (otherCount > 0) {
            m_line.BeginArray("collision");
            for (const std::string* other : others)
                m_line.ArrayText(*other);
            m_line.EndArray().Number("collisionCount", static_cast<long long>(otherCount));
        }
        m_stream.Line(m_line.End());
        return;
    }
    RowText(line.after, error);
    std::ostream& out = m_stream.Out();
    if (!others.empty()) {
        out << "\t[collides with: ";
        for (std::size_t i = 0; i < others.size(); ++i)
            WriteOneLine(out << (i ? "; " : ""), *others[i]);
        if (otherCount > others.size())
            out << "; " << otherCount - others.size() << " more";
        out << ']';
    }
    out << '\n';
    m_stream.RowDone();
}

void RowPrinter::Rows(const ListStore& store) {
    Header();
    for (int r = 1; r < store.RowCount(); ++r) {
        const ListStore::Row& row = store.RowAt(r);
        if (!row[ListStore::kPath].empty())  // the placeholder row stands for no file
            Row(row);
    }
}

}  // namespace tagwright::cli
