#include "ui/skipped_entries_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tagwright {

EntryListDialog::EntryListDialog(const char* name, const QString& title, const QString& summary,
                                 const QStringList& lines, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QLatin1String(name));
    setWindowTitle(title);
    setFont(JapaneseFont(9));

    m_summary = new QLabel(summary, this);
    m_summary->setObjectName(QStringLiteral("EntrySummary"));
    m_summary->setWordWrap(true);

    m_entries = new QPlainTextEdit(this);
    m_entries->setObjectName(QStringLiteral("EntryList"));
    m_entries->setReadOnly(true);
    m_entries->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_entries->setPlainText(lines.join(QLatin1Char('\n')));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_entries, 1);
    layout->addWidget(buttons);
    resize(480, 260);
}

namespace {

QStringList SkippedLines(const std::vector<Error>& skipped) {
    QStringList lines;
    for (const Error& e : skipped)
        lines.append(ToQt(e.path) + QStringLiteral(": ") + ToQt(e.reason));
    return lines;
}

QStringList RefusedLines(const std::vector<RefusedFile>& refused) {
    QStringList lines;
    for (const RefusedFile& f : refused) {
        const std::string why = f.error.path == f.path ? f.error.reason : f.error.Message();
        lines.append(ToQt(f.path) + QStringLiteral(": ") + ToQt(why));
    }
    return lines;
}

QString RefusedTitle(BatchKind kind) {
    return kind == BatchKind::kMove ? QStringLiteral("移動できなかったファイル")
                                    : QStringLiteral("名前を変更できなかったファイル");
}

}  // namespace

SkippedEntriesDialog::SkippedEntriesDialog(const std::vector<Error>& skipped, QWidget* parent)
    : EntryListDialog("SkippedEntries", QStringLiteral("読み込めなかった項目"),
                      SummaryText(skipped.size()), SkippedLines(skipped), parent) {}

QString SkippedEntriesDialog::SummaryText(std::size_t count) {
    return QStringLiteral("読み込めなかった項目があります（%1 件）").arg(count);
}

RefusedFilesDialog::RefusedFilesDialog(BatchKind kind, const std::vector<RefusedFile>& refused,
                                       QWidget* parent)
    : EntryListDialog("RefusedFiles", RefusedTitle(kind), SummaryText(kind, refused.size()),
                      RefusedLines(refused), parent) {}

QString RefusedFilesDialog::SummaryText(BatchKind kind, std::size_t count) {
    return QStringLiteral("%1があります（%2 件）").arg(RefusedTitle(kind)).arg(count);
}

}  // namespace tagwright
