#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/read_ahead.h"
#include "platform/result.h"

namespace tagwright {

class TagCache;

/// The two batches, for what reports on either.
enum class BatchKind { kRename, kMove };

/// The folder-creation question and its two answers (a standard OK/Cancel box).
enum class FolderAnswer { kOk, kCancel };

/// The question's prompt starts with this text, then "\r\n" and the destination folder.
inline constexpr std::string_view kCreateFolderPrompt = "フォルダがありません。作成しますか？";
inline constexpr std::string_view kCreateFolderTitle = "フォルダの作成";

/// Asked with the whole prompt and the title; an empty function counts as Cancel, so a front
/// end that cannot ask never gets folders it did not agree to.
using FolderQuestion =
    std::function<FolderAnswer(const std::string& prompt, const std::string& title)>;

/// What a front end supplies to a rename or move batch. Every member may be left empty.
struct BatchCallbacks {
    /// ProgressBar1: shown before the first row and hidden after the last.
    std::function<void(bool visible)> progressVisible;
    /// The bar's maximum: the list's row count, header included.
    std::function<void(int maximum)> progressMaximum;
    /// The bar's value: 0 at start, then the number of rows done.
    std::function<void(int value)> progressValue;
    /// The folder-creation question of the move batch.
    FolderQuestion askCreateFolder;
    /// Called after each row's cells are written, so that a view can repaint that row.
    std::function<void(int row)> rowFinished;
    /// Called, before rowFinished, for a row whose file the file system refused to read,
    /// rename or move, with the refusal (operation, path and the OS's reason).
    std::function<void(int row, const Error& error)> rowRefused;
    /// Asked before each row; true ends the batch there, leaving later rows untouched.
    std::function<bool()> stopRequested;
    /// How many rows' tags are read ahead at once when the file system allows it (1: each when
    /// its row comes). Files are still renamed or moved one at a time, in list order.
    int readJobs = kDefaultReadJobs;
    /// The tags read as the files were listed: a row whose file still has the stamp it was
    /// read with is not read again. None: every row is read.
    const TagCache* tagCache = nullptr;
};

}  // namespace tagwright
