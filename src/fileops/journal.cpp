#include "fileops/journal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/json_line.h"
#include "platform/path.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kPrefix = "batch-";
constexpr std::string_view kSuffix = ".jsonl";
constexpr int kIdDigits = 17;
constexpr std::string_view kEnd = "end";
// The end record as a journal's last line, with the break of the line before it.
constexpr std::string_view kEndLine = "\n{\"rec\":\"end\"}\n";

bool IsJournalName(const std::string& name) {
    return name.size() == kPrefix.size() + kIdDigits + kSuffix.size() &&
           name.starts_with(kPrefix) && name.ends_with(kSuffix);
}

std::string IdOfName(const std::string& name) {
    return name.substr(kPrefix.size(), kIdDigits);
}

// The journal files of `folder`, by id, oldest first.
std::vector<DirEntry> JournalEntries(FileSystem& fs, const std::string& folder) {
    std::vector<DirEntry> out;
    if (!fs.FolderExists(folder))
        return out;
    auto listing = fs.ListFolder(folder);
    if (!listing.ok())
        return out;
    for (DirEntry& e : listing->files) {
        if (IsJournalName(e.name))
            out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return out;
}

// The bytes of `reader` from `offset` on.
std::string ReadText(ByteReader& reader, std::uint64_t offset = 0) {
    auto size = reader.Size();
    if (!size.ok() || *size < offset)
        return {};
    std::string text(static_cast<std::size_t>(*size - offset), '\0');
    auto got = reader.ReadAt(
        offset, std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
    text.resize(got.ok() ? *got : 0);
    return text;
}

std::string ReadText(FileSystem& fs, const std::string& file) {
    auto reader = fs.OpenRead(file);
    return reader.ok() ? ReadText(**reader) : std::string();
}

// True when the journal's last line is the end record.
bool EndsClean(ByteReader& reader) {
    auto size = reader.Size();
    return size.ok() && *size >= kEndLine.size() &&
           ReadText(reader, *size - kEndLine.size()) == kEndLine;
}

std::string UtcTime(std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    const auto day = floor<days>(now);
    const year_month_day ymd{day};
    const hh_mm_ss hms{floor<seconds>(now - day)};
    char out[32];
    std::snprintf(out, sizeof out, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                  static_cast<int>(hms.seconds().count()));
    return out;
}

// A path is kept as text when it is UTF-8; names on Linux are bytes, and one that is not UTF-8
// is kept exactly, as hexadecimal under the key + "Hex".
void PutPath(JsonLine& line, std::string_view key, const std::string& p) {
    if (line.TextIfUtf8(key, p))
        return;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(p.size() * 2);
    for (const unsigned char c : p) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    line.Text(std::string(key) + "Hex", hex);
}

std::string GetPath(const Json& j, const std::string& key) {
    const auto hex = j.find(key + "Hex");
    if (hex == j.end() || !hex->is_string())
        return j.value(key, "");
    const std::string digits = hex->get<std::string>();
    const auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::string out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out += static_cast<char>(value(digits[i]) * 16 + value(digits[i + 1]));
    return out;
}

FileIdentity IdentityOf(const Json& j) {
    return FileIdentity{j.value("dev", std::uint64_t{0}), j.value("ino", std::uint64_t{0})};
}

// The change a crash left unconfirmed, when the disk shows it was made: of the names tried
// since the last confirmed step, the latest one that holds the file while its source is gone.
void ConfirmFromDisk(JournalBatch& batch, const std::vector<JournalStep>& tried, FileSystem& fs) {
    for (auto it = tried.rbegin(); it != tried.rend(); ++it) {
        if (fs.FileExists(it->from) || !fs.FileExists(it->to))
            continue;
        auto there = fs.IdentifyFile(it->to);
        if (!there.ok())
            continue;
        const bool copied =
            std::any_of(batch.temporaries.begin(), batch.temporaries.end(),
                        [&](const JournalTemporary& t) { return t.from == it->from; });
        if (*there == it->id || copied) {
            batch.steps.push_back(JournalStep{it->from, it->to, *there, false});
            return;
        }
    }
}

}  // namespace

JournalBatch ParseBatchJournal(std::string_view text, FileSystem& fs) {
    JournalBatch batch;
    std::vector<JournalStep> tried;
    std::vector<std::pair<std::string, std::string>> undid;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        // A last line without its break is torn: it was never wholly written.
        if (end == std::string_view::npos)
            break;
        const Json j = Json::parse(text.substr(at, end - at), nullptr, false);
        at = end + 1;
        if (!j.is_object())
            continue;
        const std::string rec = j.value("rec", "");
        const std::string from = GetPath(j, "from");
        const std::string to = GetPath(j, "to");
        batch.ended = rec == kEnd;
        if (rec == "batch") {
            batch.id = j.value("batch", "");
            batch.kind = j.value("kind", "");
            batch.time = j.value("time", "");
        } else if (rec == "try") {
            tried.push_back(JournalStep{from, to, IdentityOf(j), false});
        } else if (rec == "step") {
            tried.clear();
            batch.steps.push_back(JournalStep{from, to, IdentityOf(j), false});
        } else if (rec == "tmp") {
            batch.temporaries.push_back(JournalTemporary{from, GetPath(j, "tmp")});
        } else if (rec == "folder") {
            batch.folders.push_back(GetPath(j, "path"));
        } else if (rec == "undid") {
            undid.emplace_back(from, to);
        } else if (rec == "undone") {
            batch.undone = true;
        }
    }
    if (!tried.empty())
        ConfirmFromDisk(batch, tried, fs);
    for (const auto& [from, to] : undid) {
        for (auto it = batch.steps.rbegin(); it != batch.steps.rend(); ++it) {
            if (!it->undone && it->from == from && it->to == to) {
                it->undone = true;
                break;
            }
        }
    }
    return batch;
}

std::vector<std::string> JournalFiles(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> out;
    for (DirEntry& e : JournalEntries(fs, folder))
        out.push_back(std::move(e.path));
    return out;
}

std::optional<JournalBatch> ReadBatchJournal(FileSystem& fs, const std::string& file) {
    JournalBatch batch = ParseBatchJournal(ReadText(fs, file), fs);
    // A journal whose first line never reached the disk holds nothing.
    if (batch.id.empty())
        return std::nullopt;
    batch.file = file;
    return batch;
}

std::vector<JournalBatch> ReadJournal(FileSystem& fs, const std::string& folder) {
    std::vector<JournalBatch> out;
    for (const std::string& file : JournalFiles(fs, folder)) {
        if (auto batch = ReadBatchJournal(fs, file))
            out.push_back(std::move(*batch));
    }
    return out;
}

namespace {

// The temporaries of one journal's text: only those records are parsed, so that looking for
// them on each start stays cheap however large the journals are.
void AddTemporaries(const std::string& text, std::vector<JournalTemporary>& out) {
    static constexpr std::string_view kMark = R"("rec":"tmp")";
    for (std::size_t at = text.find(kMark); at != std::string::npos;
         at = text.find(kMark, at + 1)) {
        const std::size_t begin = text.rfind('\n', at);
        const std::size_t start = begin == std::string::npos ? 0 : begin + 1;
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            break;  // torn
        const Json j =
            Json::parse(std::string_view(text).substr(start, end - start), nullptr, false);
        if (j.is_object())
            out.push_back(JournalTemporary{GetPath(j, "from"), GetPath(j, "tmp")});
    }
}

// The interrupted move of one journal's text, from what follows its last step only.
std::optional<InterruptedMove> InterruptedMoveIn(const std::string& file, const std::string& text) {
    static constexpr std::string_view kStep = R"("rec":"step")";
    // The last whole step record; a torn one was never made.
    std::size_t last = text.rfind(kStep);
    while (last != std::string::npos && text.find('\n', last) == std::string::npos)
        last = last == 0 ? std::string::npos : text.rfind(kStep, last - 1);
    std::size_t at = last == std::string::npos ? 0 : text.find('\n', last) + 1;
    InterruptedMove move;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            break;
        const Json j = Json::parse(std::string_view(text).substr(at, end - at), nullptr, false);
        at = end + 1;
        if (!j.is_object())
            continue;
        const std::string rec = j.value("rec", "");
        const std::string from = GetPath(j, "from");
        if (rec == "try") {
            if (from != move.from)
                move = InterruptedMove{file, from, IdentityOf(j), {}, {}, {}};
            move.target = GetPath(j, "to");
        } else if (rec == "tmp") {
            if (from == move.from)
                move.temporary = GetPath(j, "tmp");
        } else if (rec == "aside") {
            if (from == move.from)
                move.aside = GetPath(j, "aside");
        } else if (rec == "refused") {
            // A refused move removed its copy; its source is left to put back only when a
            // failure stranded it aside.
            if (from == move.from && move.aside.empty())
                move = InterruptedMove{};
            else if (from == move.from)
                move.target.clear();
        } else if (rec != "batch" && rec != "folder") {
            // The batch ended, or an undo or a start has been through it since.
            return std::nullopt;
        }
    }
    if (move.from.empty() || move.temporary.empty())
        return std::nullopt;
    return move;
}

}  // namespace

LeftoverRecords ReadLeftoverRecords(FileSystem& fs, const std::string& folder) {
    LeftoverRecords out;
    for (const std::string& file : JournalFiles(fs, folder)) {
        auto reader = fs.OpenRead(file);
        if (!reader.ok() || EndsClean(**reader))
            continue;
        const std::string text = ReadText(**reader);
        if (auto move = InterruptedMoveIn(file, text))
            out.moves.push_back(std::move(*move));
        AddTemporaries(text, out.temporaries);
    }
    return out;
}

Result<std::unique_ptr<BatchJournal>> BatchJournal::Begin(FileSystem& fs, const std::string& folder,
                                                          std::string_view kind) {
    if (Result<void> made = CreateFolderTree(folder); !made.ok())
        return made.error();
    const auto now = std::chrono::system_clock::now();
    long long micros =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
    std::vector<DirEntry> files = JournalEntries(fs, folder);
    // Ids order the batches even when the clock steps back or two begin in one microsecond.
    if (!files.empty())
        micros = std::max(micros, std::stoll(IdOfName(files.back().name)) + 1);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lld", kIdDigits, micros);
    const std::string id = digits;
    const std::string file = path::Join(folder, std::string(kPrefix) + id + std::string(kSuffix));
    auto log = OpenDurableLog(file);
    if (!log.ok())
        return log.error();
    std::unique_ptr<BatchJournal> journal(new BatchJournal(id, std::move(*log)));
    // Keys in their sorted order, as the records have always been written.
    JsonLine& head = journal->m_line->Begin();
    head.Text("batch", id).Text("kind", kind).Text("rec", "batch").Text("time", UtcTime(now));
    if (Result<void> written = journal->Write(head.End(), Sync::kNow); !written.ok())
        return written.error();
    const int excess = static_cast<int>(files.size()) + 1 - kKeptBatchJournals;
    for (int i = 0; i < excess; ++i)
        (void)fs.RemoveFile(files[static_cast<std::size_t>(i)].path);
    return journal;
}

Result<std::unique_ptr<BatchJournal>> BatchJournal::Continue(const JournalBatch& batch) {
    auto log = OpenDurableLog(batch.file);
    if (!log.ok())
        return log.error();
    std::unique_ptr<BatchJournal> journal(new BatchJournal(batch.id, std::move(*log)));
    journal->m_clean = batch.ended;
    return journal;
}

BatchJournal::BatchJournal(std::string id, std::unique_ptr<DurableLog> log)
    : m_id(std::move(id)), m_log(std::move(log)), m_line(std::make_unique<JsonLine>()) {}

BatchJournal::~BatchJournal() {
    // Nothing is left to tell of a failure here: a batch that could not sync its steps has a
    // journal that outlives the process, as every record does.
    (void)SendHeld();
    if (m_unsynced)
        (void)m_log->Sync();
}

// A step is held back and goes out in the same write as the next record (normally the next
// file's try), so that each file of a batch costs one write. A held step is only delayed, never
// lost, except by a kill before that write; what it leaves is a try without its step, which
// readers settle already by looking at the disk (ConfirmFromDisk here, AlreadyBack in undo).
// Records synced at once go out after it in the same write; the close, and a batch before it
// waits on the user or ends (FileSystem::SettleRecords), send it out first.
Result<void> BatchJournal::Write(std::string_view record, Sync sync) {
    if (!m_held.empty()) {
        m_held += record;
        record = m_held;
        sync = std::max(sync, Sync::kSoon);
    }
    const auto now = std::chrono::steady_clock::now();
    const bool flush =
        sync == Sync::kNow || (sync == Sync::kSoon && now - m_synced >= kSyncInterval);
    // The log adds the line break itself.
    record.remove_suffix(1);
    Result<void> written = m_log->Append(record, flush);
    m_held.clear();
    if (!written.ok())
        return written;
    if (flush)
        m_synced = now;
    m_unsynced = !flush;
    return {};
}

// Each record's keys come in sorted order (the order the journal has always had); a path's
// key gains "Hex" when the path is not UTF-8.

Result<void> BatchJournal::Try(const std::string& from, const std::string& to,
                               const FileIdentity& id) {
    m_try = Change("try", from, to, id);
    m_tryFrom = from;
    m_tryTo = to;
    m_tryId = id;
    return Write(m_try, Sync::kNever);
}

Result<void> BatchJournal::Temporary(const std::string& from, const std::string& temporary) {
    m_loose.push_back(JournalTemporary{from, temporary});
    JsonLine& line = m_line->Begin();
    PutPath(line, "from", from);
    line.Text("rec", "tmp");
    PutPath(line, "tmp", temporary);
    return Write(line.End(), Sync::kNow);
}

Result<void> BatchJournal::Aside(const std::string& from, const std::string& aside) {
    m_loose.push_back(JournalTemporary{from, aside});
    JsonLine& line = m_line->Begin();
    PutPath(line, "aside", aside);
    PutPath(line, "from", from);
    return Write(line.Text("rec", "aside").End(), Sync::kNow);
}

Result<void> BatchJournal::Refused(const std::string& from) {
    JsonLine& line = m_line->Begin();
    PutPath(line, "from", from);
    return Write(line.Text("rec", "refused").End(), Sync::kSoon);
}

Result<void> BatchJournal::Recovered() {
    return Write(m_line->Begin().Text("rec", "recovered").End(), Sync::kNow);
}

Result<void> BatchJournal::Step(const std::string& from, const std::string& to,
                                const FileIdentity& id) {
    // A move done has placed its copy and removed its source: its temporaries are gone.
    std::erase_if(m_loose, [&](const JournalTemporary& t) { return t.from == from; });
    // Escaped paths hold no bare quote, so the try's one "rec" field is the one found.
    constexpr std::string_view kTryRec = ",\"rec\":\"try\",";
    const std::size_t rec = m_try.find(kTryRec);
    if (rec != std::string::npos && from == m_tryFrom && to == m_tryTo && id == m_tryId) {
        m_try.replace(rec, kTryRec.size(), ",\"rec\":\"step\",");
    } else {
        m_try = Change("step", from, to, id);
    }
    m_tryFrom.clear();
    m_tryTo.clear();
    const std::string& line = m_try;
    // At most one step waits: a kill must cost no more than the one the disk can tell.
    if (!m_held.empty())
        return Write(line, Sync::kSoon);
    m_held = line;
    return {};
}

Result<void> BatchJournal::SendHeld() {
    if (m_held.empty())
        return {};
    const std::string held = std::move(m_held);
    m_held.clear();
    return Write(held, Sync::kSoon);
}

Result<void> BatchJournal::Folder(const std::string& p) {
    JsonLine& line = m_line->Begin();
    PutPath(line, "path", p);
    return Write(line.Text("rec", "folder").End(), Sync::kSoon);
}

Result<void> BatchJournal::Undid(const std::string& from, const std::string& to) {
    // The file went back from `to`, as a step does from its `from`.
    std::erase_if(m_loose, [&](const JournalTemporary& t) { return t.from == to; });
    JsonLine& line = m_line->Begin();
    PutPath(line, "from", from);
    line.Text("rec", "undid");
    PutPath(line, "to", to);
    return Write(line.End(), Sync::kSoon);
}

Result<void> BatchJournal::Undone() {
    return Write(m_line->Begin().Text("rec", "undone").End(), Sync::kNow);
}

Result<void> BatchJournal::End(FileSystem& fs) {
    const bool stranded =
        std::any_of(m_loose.begin(), m_loose.end(),
                    [&](const JournalTemporary& t) { return fs.FileExists(t.temporary); });
    if (!m_clean || stranded)
        return SendHeld();
    return Write(m_line->Begin().Text("rec", kEnd).End(), Sync::kSoon);
}

const std::string& BatchJournal::Change(const char* rec, const std::string& from,
                                        const std::string& to, const FileIdentity& id) {
    JsonLine& line = m_line->Begin().Unsigned("dev", id.device);
    PutPath(line, "from", from);
    line.Unsigned("ino", id.file).Text("rec", rec);
    PutPath(line, "to", to);
    return line.End();
}

}  // namespace tagwright
