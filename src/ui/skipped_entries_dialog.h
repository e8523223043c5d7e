#pragma once

#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

#include "fileops/batch_callbacks.h"
#include "platform/result.h"

class QLabel;
class QPlainTextEdit;

namespace tagwright {

/// A count above a list the user can scroll and copy from, one entry a line, and OK.
class EntryListDialog : public QDialog {
    Q_OBJECT

  public:
    QLabel* summary() const { return m_summary; }
    QPlainTextEdit* entries() const { return m_entries; }

  protected:
    EntryListDialog(const char* name, const QString& title, const QString& summary,
                    const QStringList& lines, QWidget* parent);

  private:
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_entries = nullptr;
};

/// Told after a search or a drop that had to leave out entries it could not read: how many,
/// and which, one "path: reason" a line.
class SkippedEntriesDialog final : public EntryListDialog {
    Q_OBJECT

  public:
    SkippedEntriesDialog(const std::vector<Error>& skipped, QWidget* parent);

    /// "読み込めなかった項目があります（N 件）"
    static QString SummaryText(std::size_t count);
};

/// A listed file the file system refused to rename or move, and its refusal.
struct RefusedFile {
    std::string path;
    Error error;
};

/// Told after a rename or move batch in which the file system refused files: a "×" alone
/// cannot be told from a blank tag or a Cancel, so each file is listed with the OS's reason,
/// "path: reason", or "path: cannot <step> '<other path>': reason" when the step that failed
/// was on another path (a folder that could not be made).
class RefusedFilesDialog final : public EntryListDialog {
    Q_OBJECT

  public:
    RefusedFilesDialog(BatchKind kind, const std::vector<RefusedFile>& refused, QWidget* parent);

    /// "移動できなかったファイルがあります（N 件）" or "名前を変更できなかった…".
    static QString SummaryText(BatchKind kind, std::size_t count);
};

}  // namespace tagwright
