#include "ui/preview_dialog.h"

#include <QBrush>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "fileops/rename_batch.h"
#include "platform/path.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tagwright {

namespace {

// More names than this in one note would not fit its cell; the count tells the rest.
constexpr std::size_t kCollidingNamesShown = 3;

const QColor kCollisionShade(255, 221, 170);
const QColor kRefusedText(176, 0, 0);

QString CollisionNote(const BatchPlan& plan, std::size_t index) {
    const PlanLine& line = plan.lines[index];
    const auto& group = plan.collisionGroups[static_cast<std::size_t>(line.collisionGroup)];
    QStringList names;
    // Names that look alike but are not the same text collide only where the file system
    // ignores case or composes characters; that is worth saying, since they look harmless.
    bool lookAlike = false;
    for (const std::size_t i : group) {
        lookAlike = lookAlike || plan.lines[i].wantedPath != line.wantedPath;
        if (i != index && static_cast<std::size_t>(names.size()) < kCollidingNamesShown)
            names.append(ToQt(path::FileName(plan.lines[i].newPath)));
    }
    QString note = QStringLiteral("衝突: %1").arg(names.join(QStringLiteral("、")));
    const std::size_t others = group.size() - 1;
    if (others > static_cast<std::size_t>(names.size()))
        note += QStringLiteral(" ほか %1 件").arg(others - static_cast<std::size_t>(names.size()));
    if (lookAlike)
        note += QStringLiteral("（大文字・小文字や文字の合成だけの違い）");
    return note;
}

}  // namespace

PlanTableModel::PlanTableModel(BatchPlan plan, QObject* parent)
    : QAbstractTableModel(parent), m_plan(std::move(plan)) {}

int PlanTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_plan.lines.size());
}

int PlanTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString PlanTableModel::NoteText(std::size_t index) const {
    const PlanLine& line = m_plan.lines[index];
    QStringList notes;
    switch (line.outcome) {
        case PlanLine::Outcome::kRefused:
            notes.append(
                ToQt(line.error.path == line.path ? line.error.reason : line.error.Message()));
            break;
        case PlanLine::Outcome::kBlankEscape:
            notes.append(QStringLiteral("タグ情報が足りないため、そのまま"));
            break;
        case PlanLine::Outcome::kNoFolder:
            notes.append(QStringLiteral("フォルダを作成しないため、そのまま"));
            break;
        case PlanLine::Outcome::kWouldDo:
            if (line.Unchanged())
                notes.append(QStringLiteral("変更なし"));
            if (line.clashNumber >= 0) {
                notes.append(
                    QStringLiteral("同名があるため「%1」").arg(ToQt(path::FileName(line.newPath))));
            }
            break;
    }
    if (line.asksFolder)
        notes.append(QStringLiteral("フォルダ作成の確認あり（OK とみなす）"));
    if (line.collisionGroup >= 0)
        notes.append(CollisionNote(m_plan, index));
    return notes.join(QStringLiteral("／"));
}

QVariant PlanTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto i = static_cast<std::size_t>(index.row());
    const PlanLine& line = m_plan.lines[i];
    const bool done = line.outcome == PlanLine::Outcome::kWouldDo;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            switch (index.column()) {
                case kMark:
                    return done ? QStringLiteral("\u25CB") : QStringLiteral("\u00D7");
                case kOldName:
                    return ToQt(role == Qt::ToolTipRole ? line.path : path::FileName(line.path));
                case kArrow:
                    return done ? QStringLiteral("\u2192") : QString();
                case kTarget:
                    if (!done)
                        return QString();
                    if (m_plan.kind == BatchKind::kMove && role == Qt::DisplayRole)
                        return ToQt(TagR::FolderOfPath(line.newPath));
                    return ToQt(role == Qt::ToolTipRole ? line.newPath
                                                        : path::FileName(line.newPath));
                case kNote:
                    return NoteText(i);
                default:
                    return {};
            }
        case Qt::BackgroundRole:
            return line.collisionGroup >= 0 ? QBrush(kCollisionShade) : QVariant();
        case Qt::ForegroundRole:
            return done ? QVariant() : QBrush(kRefusedText);
        case Qt::TextAlignmentRole:
            return index.column() == kMark || index.column() == kArrow
                       ? QVariant(Qt::AlignCenter)
                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
        case kMark:
            return QString();
        case kOldName:
            return QStringLiteral("今の名前");
        case kArrow:
            return QString();
        case kTarget:
            return m_plan.kind == BatchKind::kMove ? QStringLiteral("移動先")
                                                   : QStringLiteral("新しい名前");
        case kNote:
            return QStringLiteral("備考");
        default:
            return {};
    }
}

QString PreviewDialog::SummaryText(const BatchPlan& plan) {
    std::size_t done = 0, unchanged = 0, refused = 0, colliding = 0;
    for (const PlanLine& line : plan.lines) {
        if (line.outcome != PlanLine::Outcome::kWouldDo)
            ++refused;
        else if (line.Unchanged())
            ++unchanged;
        else
            ++done;
        if (line.collisionGroup >= 0)
            ++colliding;
    }
    QString text = QStringLiteral("%1 件: 実行 %2 件、変更なし %3 件、× %4 件、衝突 %5 件")
                       .arg(plan.lines.size())
                       .arg(done)
                       .arg(unchanged)
                       .arg(refused)
                       .arg(colliding);
    if (plan.stopped)
        text += QStringLiteral("（途中で中止）");
    return text;
}

PreviewDialog::PreviewDialog(BatchPlan plan, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Preview"));
    setWindowTitle(plan.kind == BatchKind::kMove ? QStringLiteral("プレビュー(移動)")
                                                 : QStringLiteral("プレビュー(リネーム)"));
    setFont(JapaneseFont(9));

    m_summary = new QLabel(SummaryText(plan), this);
    m_summary->setObjectName(QStringLiteral("PreviewSummary"));

    m_model = new PlanTableModel(std::move(plan), this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("PreviewTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed heights and widths: a view that measured 10,000 rows would stall on opening.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(PlanTableModel::kMark, 28);
    m_table->setColumnWidth(PlanTableModel::kOldName, 200);
    m_table->setColumnWidth(PlanTableModel::kArrow, 28);
    m_table->setColumnWidth(PlanTableModel::kTarget, 260);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(900, 420);
}

}  // namespace tagwright
