#include "ui/form1.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/list_table_model.h"
#include "ui/qt_text.h"

namespace tagwright {

namespace {

// The grid's designed font, or a Japanese font the system has.
QFont GridFont() {
    const QStringList families = QFontDatabase::families();
    for (const QString& wanted :
         {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
          QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")}) {
        if (families.contains(wanted))
            return QFont(wanted, 9);
    }
    QFont font;
    font.setPointSize(9);
    return font;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tagwright"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(TwipsToPixels(5400), TwipsToPixels(7155));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));

    auto* listTab = new QWidget(m_tabs);
    m_table = new QTableView(listTab);
    m_table->setObjectName(QStringLiteral("MP3Table"));
    m_model = new ListTableModel(m_store, this);
    m_table->setModel(m_model);

    auto* countCaption = new QLabel(QStringLiteral("ファイル数 ： "), listTab);
    countCaption->setObjectName(QStringLiteral("Label22"));
    m_fileCountLabel = new QLabel(ToQt(m_store.FileCountText()), listTab);
    m_fileCountLabel->setObjectName(QStringLiteral("FileCountLabel"));
    connect(m_model, &ListTableModel::fileCountChanged, m_fileCountLabel, &QLabel::setText);

    auto* strip = new QHBoxLayout;
    strip->addWidget(countCaption);
    strip->addWidget(m_fileCountLabel);
    strip->addStretch(1);

    auto* listLayout = new QVBoxLayout(listTab);
    listLayout->addWidget(m_table, 1);
    listLayout->addLayout(strip);
    m_tabs->addTab(listTab, QStringLiteral("Tagwright"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_tabs);

    SetUpGrid();
}

Form1::~Form1() = default;

void Form1::SetUpGrid() {
    m_table->setFont(GridFont());
    m_table->setWordWrap(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* vertical = m_table->verticalHeader();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    vertical->setDefaultSectionSize(QFontMetrics(m_table->font()).height() + 4);
    vertical->hide();
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        m_table->setColumnWidth(c, TwipsToPixels(m_store.ColumnWidth(c)));
    }
}

}  // namespace tagwright
