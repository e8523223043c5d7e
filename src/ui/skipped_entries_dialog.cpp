#include "ui/skipped_entries_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tagwright {

SkippedEntriesDialog::SkippedEntriesDialog(const std::vector<Error>& skipped, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("SkippedEntries"));
    setWindowTitle(QStringLiteral("読み込めなかった項目"));
    setFont(JapaneseFont(9));

    m_summary = new QLabel(SummaryText(skipped.size()), this);
    m_summary->setObjectName(QStringLiteral("SkippedSummary"));
    m_summary->setWordWrap(true);

    m_entries = new QPlainTextEdit(this);
    m_entries->setObjectName(QStringLiteral("SkippedList"));
    m_entries->setReadOnly(true);
    m_entries->setLineWrapMode(QPlainTextEdit::NoWrap);
    QString lines;
    for (const Error& e : skipped) {
        lines += ToQt(e.path) + QStringLiteral(": ") + ToQt(e.reason);
        lines += QLatin1Char('\n');
    }
    lines.chop(1);
    m_entries->setPlainText(lines);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_entries, 1);
    layout->addWidget(buttons);
    resize(480, 260);
}

QString SkippedEntriesDialog::SummaryText(std::size_t count) {
    return QStringLiteral("読み込めなかった項目があります（%1 件）").arg(count);
}

}  // namespace tagwright
