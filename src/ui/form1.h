#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "filelist/folder_search.h"
#include "filelist/grid_state.h"
#include "filelist/list_store.h"
#include "fileops/batch_callbacks.h"
#include "naming/settings.h"
#include "platform/file_system.h"
#include "ui/background_work.h"
#include "ui/skipped_entries_dialog.h"

class QCheckBox;
class QElapsedTimer;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QUrl;

namespace tagwright {

class DirSelectForm;
class JournaledFileSystem;
class ListTableModel;
class SearchForm;
class TabControl;
struct UndoReport;

/// The main window. Controls carry their design names as object names; a control array's
/// element is named "<name>_<index>" ("Option1_3", "Text6_10", "FileNameSetBtn_7") and also
/// holds its index in the property "index".
///
/// Every command is announced as a signal (list commands, drops, the batches) and then run
/// through the core. The long ones (a drop, the folder search, the batches, the undo) work on a
/// thread of their own while the window keeps painting and answering, and return when done; the
/// list is written on the window's thread only. One command runs at a time. The naming engine's
/// text work comes in through `NamingHooks`, which start as the core's own functions.
class Form1 final : public QWidget {
    Q_OBJECT

  public:
    /// A window on the real file system.
    explicit Form1(QWidget* parent = nullptr);
    /// A window whose drops, searches and batches go through `fs` (tests give a fault-injecting
    /// one). `fs` must outlive the window.
    explicit Form1(FileSystem& fs, QWidget* parent = nullptr);
    ~Form1() override;

    ListStore& store() { return m_store; }
    /// The grid's widths and alignments, and its cursor and selection as the last command
    /// found them.
    const GridState& grid() const { return m_grid; }
    QTableView* table() const { return m_table; }
    QLabel* fileCountLabel() const { return m_fileCountLabel; }
    TabControl* tabs() const { return m_tabs; }
    QMenu* popupMenu() const { return m_mnuA; }

    /// The settings as the controls hold them now.
    Settings BuildSettings() const;
    /// Puts `settings` into the controls (each text box runs its cleaning, as typing would).
    void LoadSettings(const Settings& settings);

    /// The naming engine's text operations the controls need. Texts are UTF-8.
    struct NamingHooks {
        /// Cleans a typed text (OriTxt, OriTxt2, Text1) with the current table.
        std::function<std::string(const std::string& text, const ConversionTable& table)> clean;
        /// Cleans the separator NameCutText; `clean` serves it when this one is not set.
        std::function<std::string(const std::string& text, const ConversionTable& table)>
            cleanSeparator;
        /// The input check of replacement box Text6(row): the text the box should hold.
        std::function<std::string(int row, const std::string& text)> checkReplacement;
        /// Naming-rule button `index`: the new rule from the rule, separator and literal.
        std::function<std::string(const std::string& rule, int index, const std::string& separator,
                                  const std::string& literal)>
            editNamingRule;
        /// Folder-rule button `index`: the new rule from the rule and literal.
        std::function<std::string(const std::string& rule, int index, const std::string& literal)>
            editFolderRule;
        /// "初期化": the table the replacements are reset to.
        std::function<ConversionTable()> resetTable;
    };
    void SetNamingHooks(NamingHooks hooks) { m_hooks = std::move(hooks); }
    /// The naming engine's own text operations.
    static NamingHooks CoreNamingHooks();

    /// Batch feedback: ProgressBar1 covers the count while a batch runs.
    void BeginProgress(int maximum);
    void AdvanceProgress();
    void EndProgress();
    /// The folder-creation question, a standard OK/Cancel box without an icon showing `prompt`
    /// under `title`; true when the user answered OK. While it is up the main window takes no
    /// input but Esc and its close button, which stop the running batch (and answer Cancel).
    bool AskCreateFolder(const QString& prompt, const QString& title);
    /// Ends the running drop, search or batch after the file it is working on (as Esc and the
    /// Cancel button do); nothing when none runs.
    void StopBatch();
    /// A drop, a search or a batch is running: other commands are refused until it ends.
    bool Busy() const { return m_busy; }

    /// The commands themselves, as the signals above run them.
    void AddDroppedPaths(const QStringList& paths);
    /// Adds the files of a folder search and refreshes the count; what it had to skip is in
    /// the report, for the caller to tell.
    FileAddReport SearchFolder(const QString& folder, const QString& extensionFilter,
                               bool includeSubfolders);
    void RunRename();
    void RunMove();
    /// The plan of a rename or move of the listed files with the settings as they stand,
    /// shown in the preview dialog; the files and the list stay as they are.
    void ShowPreview(BatchKind kind);
    /// "元に戻す": after a confirmation, takes back the last rename or move batch that is not
    /// undone yet, off the window's thread as a batch runs (the bar, Cancel between two steps),
    /// moves the rows of the files brought back to their old paths, and lists what could not be
    /// taken back.
    void RunUndo();
    /// The journal's folder; the platform's state folder unless replaced (tests).
    void SetJournalFolder(std::string folder) { m_journalFolder = std::move(folder); }
    /// Deals with copies an interrupted cross-device move left, telling the user of any kept.
    void RecoverInterruptedCopiesOnStart();

    /// The dialogs, created on first use and kept (hidden) afterwards.
    SearchForm& searchForm();
    DirSelectForm& dirSelectForm();
    /// Opens a dialog modally and returns when it is hidden again.
    void ShowSearchForm();
    void ShowDirSelectForm();
    /// Opens the user guide, as a click on the support link does.
    void OpenSupportHome();
    /// What opens the user guide's address; the desktop's URL handler unless replaced (tests).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    /// Where the user guide lies: beside the program (the build tree), else in the installed
    /// share folder next to the program's bin folder.
    static QString ManualPath();
    static QString ManualPathFor(const QString& programFolder);

  signals:
    /// mnuSortFileName(index): 0 ascending, 1 descending, over the grid's cursor and selection.
    void sortFileNameRequested(int index);
    /// mnuDelAll "すべてのファイル".
    void delAllRequested();
    /// mnuDelRename(index): 0 rows whose R is "×", 1 rows whose R is "○".
    void delRenameRequested(int index);
    /// mnuDelFMove(index): 0 rows whose M is "×", 1 rows whose M is "○".
    void delFMoveRequested(int index);
    /// mnuDelTagV(index): 0 no tag, 1 exactly "v1.0" or "v1.1", 2 exactly "v2".
    void delTagVRequested(int index);
    /// The Delete key on the grid (any modifiers): remove the selected rows.
    void deleteKeyPressed();
    /// Local paths dropped onto the grid, in the order the drop source gave them. Emitted inside
    /// the drop event; the drop's files are read only once that has returned.
    void pathsDropped(const QStringList& paths);
    /// The search dialog's "MP3File　Search！！": search `folder`, by extension alone when
    /// `extensionFilter` is "mp3", also by tags when it is empty.
    void searchRequested(const QString& folder, const QString& extensionFilter,
                         bool includeSubfolders);
    /// mnuPreviewBatch(index): the preview of 0 a rename, 1 a move.
    void previewRequested(int index);
    /// ReNameBtn and MoveBtn.
    void reNameRequested();
    void moveRequested();
    /// mnuUndo "元に戻す".
    void undoRequested();
    /// The support link failed to open; the user has been told.
    void supportHomeFailed();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildListTab(QWidget* page);
    void BuildSet1Tab(QWidget* page);
    void BuildSet2Tab(QWidget* page);
    void BuildPopupMenu();
    void SetUpGrid();
    void ApplyColumnWidths();
    void KeepColumnWidthsOverReset();
    // One handler for each object the window watches; true when the event is used up.
    bool TableEvent(QEvent* event);
    bool GridEvent(QEvent* event);
    bool Label5Event(QEvent* event);
    void StorageBoxEvent(QEvent* event);
    void ApplyLayoutRule();
    void Option1Click();
    void ResetLabel5Colour();
    void CleanBox(QLineEdit* box);
    void CheckReplacement(int row);
    void FileNameSetBtnClick(int index);
    void FileMovepPlaceBtnClick(int index);
    void Command2Click();
    void WatchCleaning(QLineEdit* box);
    void ConnectCommands();
    // The grid state with the view's cursor and selection, for a command to work on; and the
    // view's cursor put where a command left the grid state's.
    GridState& GridFromView();
    void ShowGridCursor();
    void TellSkipped(const FileAddReport& report);
    template <class Batch>
    void RunBatch(BatchKind kind, Batch&& batch);
    // The bar and Cancel for work on the worker: shown, moved on and asked through this thread.
    BatchCallbacks WorkerProgress();
    // Runs a drop or a search off this thread, appending the rows it finds as they come.
    FileAddReport AddFiles(const std::function<FileAddReport(const FileAddHooks&)>& add);
    void AppendFound(std::vector<FileRow> rows);
    // Around every long command; EndWork is true when the window is to close now.
    void BeginWork();
    bool EndWork();
    void TellJournalFailure(const JournaledFileSystem& fs);
    // The rows of the files an undo brought back follow them to their old paths.
    void ShowUndoneRows(const UndoReport& report);

    FileSystem& m_fs;
    std::string m_journalFolder;
    ListStore m_store;
    GridState m_grid;
    // The tags read as files were listed, so that a batch reads only the files changed since.
    TagCache m_tags;
    GetSearchMP3Module m_search{m_fs, m_store};
    // A drop, search or batch is running; any other command is refused until it ends.
    bool m_busy = false;
    // The user asked the running work to stop (read by the worker between two files), and
    // perhaps the window to close once it has.
    std::atomic<bool> m_stopBatch{false};
    bool m_closeAfterBatch = false;
    // The folder question while it is up.
    QPointer<QMessageBox> m_question;
    // The widths the grid state last gave the columns (twips), and the widths the grid showed
    // just before a reset (pixels): what the user dragged outlives a reset unless the grid
    // state itself changed that column.
    std::array<int, ListStore::kColumnCount> m_appliedWidths{};
    std::array<int, ListStore::kColumnCount> m_shownWidths{};
    // Where a left press in the storage-folder box went down: a click, not the end of a
    // drag-select, opens the folder chooser.
    std::optional<QPoint> m_boxPressAt;
    // What the last search skipped, told once its dialog has closed.
    FileAddReport m_searchReport;
    BackgroundWork m_work{this};
    // Rows the running drop or search has put in the list.
    int m_found = 0;
    ListTableModel* m_model = nullptr;
    TabControl* m_tabs = nullptr;
    QTableView* m_table = nullptr;
    QWidget* m_gridViewport = nullptr;
    QWidget* m_headerViewport = nullptr;
    QWidget* m_frame5 = nullptr;
    QLabel* m_fileCountLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_label5 = nullptr;
    QMenu* m_mnuA = nullptr;

    std::array<QRadioButton*, 5> m_option1{};
    std::array<QRadioButton*, 4> m_option2{};
    std::array<QLineEdit*, 11> m_text1{};  // no element 6
    QLineEdit* m_fileNameSetting = nullptr;
    QLineEdit* m_nameCutText = nullptr;
    QLineEdit* m_oriTxt = nullptr;
    std::array<QLabel*, 11> m_prohibitLabel{};
    std::array<QLineEdit*, 11> m_text6{};
    QLineEdit* m_mp3SaveFolderTxt = nullptr;
    QLineEdit* m_fileMoveText = nullptr;
    QLineEdit* m_oriTxt2 = nullptr;
    QCheckBox* m_folderYN = nullptr;

    NamingHooks m_hooks;
    std::function<bool(const QUrl&)> m_openUrl;
    SearchForm* m_searchForm = nullptr;
    DirSelectForm* m_dirSelectForm = nullptr;
};

}  // namespace tagwright
