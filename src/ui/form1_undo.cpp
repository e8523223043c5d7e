// Form1's undo: the confirmation, the undo itself through the core, and what the rows and the
// user are told afterwards.
#include <QMessageBox>
#include <map>

#include "fileops/undo.h"
#include "ui/form1.h"
#include "ui/qt_text.h"

namespace tagwright {

namespace {

QString KindText(const std::string& kind) {
    return kind == "move" ? QStringLiteral("ファイル移動") : QStringLiteral("リネーム");
}

QStringList ProblemLines(const UndoReport& report) {
    QStringList lines;
    for (const UndoSkip& s : report.skipped)
        lines << ToQt(s.step.to) + QStringLiteral(": ") + ToQt(s.reason.Message());
    for (const Error& e : report.foldersKept)
        lines << ToQt(e.Message());
    if (report.journalFailure)
        lines << ToQt(report.journalFailure->Message());
    return lines;
}

}  // namespace

void Form1::RunUndo() {
    if (m_busy)
        return;
    const std::optional<JournalBatch> batch = LastUndoableBatch(m_fs, m_journalFolder);
    if (!batch) {
        QMessageBox::information(this, QStringLiteral("元に戻す"),
                                 QStringLiteral("元に戻せる操作はありません。"));
        return;
    }
    std::size_t left = 0;
    for (const JournalStep& s : batch->steps)
        left += s.undone ? 0 : 1;
    const QString question = QStringLiteral("%1（%2 件、%3）を元に戻しますか？")
                                 .arg(KindText(batch->kind))
                                 .arg(left)
                                 .arg(ToQt(batch->time));
    if (QMessageBox::question(this, QStringLiteral("元に戻す"), question,
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    // Off this thread, as the batches: an undo of many files, or across devices, takes long.
    // The rows follow their files only afterwards, so that a Cancel between two steps leaves
    // each row naming where its file is.
    BeginWork();
    const BatchCallbacks callbacks = WorkerProgress();
    UndoReport report;
    m_work.Run([&] { report = UndoLastBatch(m_fs, m_journalFolder, false, callbacks); });
    ShowUndoneRows(report);
    if (EndWork())
        return;

    const QStringList problems = ProblemLines(report);
    QMessageBox box(problems.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                    QStringLiteral("元に戻す"),
                    QStringLiteral("元に戻しました: %1 件\n戻せなかったもの: %2 件")
                        .arg(report.reverted.size())
                        .arg(report.skipped.size()),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("undoResult"));
    if (!problems.isEmpty())
        box.setDetailedText(problems.join(QLatin1Char('\n')));
    box.exec();
}

void Form1::ShowUndoneRows(const UndoReport& report) {
    if (report.reverted.empty() || !report.batch)
        return;
    std::map<std::string, const JournalStep*> back;
    for (const JournalStep& s : report.reverted)
        back[s.to] = &s;
    const bool rename = report.batch->kind != "move";
    for (int i = 1; i < m_store.RowCount(); ++i) {
        const auto it = back.find(m_store.Cell(i, ListStore::kPath));
        if (it == back.end())
            continue;
        const std::string& from = it->second->from;
        m_store.RecordUndo(i, rename, from);
        // A copy back across devices is a new file.
        if (auto id = m_fs.IdentifyFile(from); id.ok())
            m_store.SetIdentity(i, *id);
    }
}

void Form1::RecoverInterruptedCopiesOnStart() {
    const RecoveryReport report = RecoverInterruptedCopies(m_fs, m_journalFolder);
    QStringList lines;
    for (const JournalTemporary& t : report.kept) {
        lines << QStringLiteral("%1（元のファイル %2 はありません）")
                     .arg(ToQt(t.temporary), ToQt(t.from));
    }
    for (const MoveRecovery& m : report.moves) {
        if (m.action == MoveRecovery::Action::kKeptAside) {
            lines << QStringLiteral("%1（元の名前 %2 は使われています）")
                         .arg(ToQt(m.path), ToQt(m.from));
        }
    }
    for (const Error& e : report.failed)
        lines << ToQt(e.Message());
    if (lines.isEmpty())
        return;
    QMessageBox::warning(this, QStringLiteral("Tagwright"),
                         QStringLiteral("中断された移動のコピーが残っています。消さずに置いてあり"
                                        "ます。\n\n") +
                             lines.join(QLatin1Char('\n')));
}

}  // namespace tagwright
