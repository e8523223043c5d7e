#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filelist/list_store.h"
#include "fileops/rename_batch.h"
#include "naming/settings.h"
#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"
#include "platform/path.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright::test {

/// The path separator as text, for building expected paths.
inline const std::string kSep(1, path::kSeparator);
/// The list's columns by their short names.
inline constexpr int kR = ListStore::kR, kM = ListStore::kM, kName = ListStore::kFileName,
                     kNew = ListStore::kNewName, kPath = ListStore::kPath;

/// The tags of a test file; `id` makes its content unique.
struct Song {
    std::string title, artist, album;
    int track = 1;
    int id = 0;
};

/// A small MP3: fake audio whose length and comment carry the id, then an ID3v1.1 trailer.
inline Bytes SongBytes(const Song& s) {
    Id3v1Fields f;
    f.title = B(s.title);
    f.artist = B(s.artist);
    f.album = B(s.album);
    f.year = B("2001");
    f.comment = B("id" + std::to_string(s.id));
    f.track = s.track;
    f.genre = 13;
    return Cat({Audio(200 + static_cast<std::size_t>(s.id % 97)), Id3v1Trailer(f)});
}

/// Settings for tests: names from the title, folders artist\album\, no questions, blanks kept
/// out, and the given storage folder.
inline Settings TestSettings(const std::string& storage = {}) {
    Settings s;
    s.FileNameSetting = "曲名";
    s.FileMoveText = "アーティスト\\アルバム\\";
    s.FolderYN = false;
    s.MP3SaveFolderTxt = storage;
    return s;
}

/// A list of the given files, as the drop handler would list them: each with its identity,
/// when it has one.
inline void ListFiles(ListStore& store, const std::vector<std::string>& paths,
                      FileSystem& fs = RealFileSystem()) {
    for (const std::string& p : paths) {
        auto id = fs.IdentifyFile(p);
        store.AppendFileRow(path::FileName(p), 2, p, id.ok() ? *id : FileIdentity{});
    }
}

// Paths are UTF-8 here as in the program; a narrow std::filesystem::path would use the system
// code page on Windows.
inline std::filesystem::path U8Path(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}
inline std::string U8String(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

/// Every file under `root` (recursively) with its bytes.
inline std::map<std::string, Bytes> Snapshot(const std::string& root) {
    std::map<std::string, Bytes> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(U8Path(root))) {
        if (e.is_regular_file())
            out[U8String(e.path())] = ReadAll(U8String(e.path()));
    }
    return out;
}

/// Every folder under `root`.
inline std::vector<std::string> Folders(const std::string& root) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(U8Path(root))) {
        if (e.is_directory())
            out.push_back(U8String(e.path()));
    }
    return out;
}

/// The file rows of a list, top to bottom.
inline std::vector<ListStore::Row> FileRows(const ListStore& store) {
    std::vector<ListStore::Row> rows;
    for (int i = 1; i < store.RowCount(); ++i)
        rows.push_back(store.RowAt(i));
    return rows;
}

/// That every row of a list tells the truth after a rename (or move) batch, given the rows
/// before it: the file is at the row's Path; a "×" row still names the path it had; a "○" row
/// names the file's new name in its old folder (rename) or a path under `storage` (move); the
/// batch's own mark column is the only one of R and M that changed, and a move leaves NewName.
/// The caller checks the contents.
inline void ExpectRowsTellTheTruth(const ListStore& store,
                                   const std::vector<ListStore::Row>& before, bool rename,
                                   const std::string& storage) {
    ASSERT_EQ(static_cast<std::size_t>(store.RowCount() - 1), before.size());
    const int mark = rename ? ListStore::kR : ListStore::kM;
    const int other = rename ? ListStore::kM : ListStore::kR;
    for (int i = 1; i < store.RowCount(); ++i) {
        const ListStore::Row& row = store.RowAt(i);
        const ListStore::Row& old = before[static_cast<std::size_t>(i - 1)];
        const std::string& p = row[ListStore::kPath];
        SCOPED_TRACE(::testing::Message() << "row " << i << " " << p);
        ASSERT_TRUE(RealFileSystem().FileExists(p)) << "the row names no file";
        EXPECT_EQ(row[other], old[other]);
        if (row[mark] == ListStore::kRefused) {
            EXPECT_EQ(p, old[ListStore::kPath]);
            EXPECT_EQ(row[ListStore::kFileName], old[ListStore::kFileName]);
        } else {
            ASSERT_EQ(row[mark], ListStore::kDone);
            if (rename) {
                EXPECT_EQ(p, TagR::FolderOfPath(old[ListStore::kPath]) + row[ListStore::kNewName]);
            } else {
                EXPECT_EQ(p.rfind(storage, 0), 0u);
            }
        }
        if (!rename) {
            EXPECT_EQ(row[ListStore::kNewName], old[ListStore::kNewName]);
        }
    }
}

/// Answers that no folder exists and records the folders the move asks about and makes, while
/// touching nothing.
struct RecordingFileSystem : ForwardingFileSystem {
    std::vector<std::string> asked, made;
    bool FolderExists(const std::string& p) override {
        asked.push_back(p);
        return false;
    }
    Result<void> CreateFolder(const std::string& p) override {
        made.push_back(p);
        return {};
    }
    Result<std::string> MoveFile(const std::string&, const FileIdentity&, const std::string&,
                                 const NameCandidates& n, FileIdentity* = nullptr) override {
        return *n(0);
    }
};

}  // namespace tagwright::test
