#include "ui/form1.h"

#include "platform/special_folders.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

#include "ui/dir_select_form.h"
#include "ui/folder_lists.h"
#include "ui/list_table_model.h"
#include "ui/qt_text.h"
#include "ui/search_form.h"
#include "ui/tab_control.h"
#include "ui/widgets.h"

namespace tagwright {

namespace {

// Client area at start, in twips.
constexpr int kClientWidth = 5400;
constexpr int kClientHeight = 7155;
// MP3Table's designed place; the layout rule keeps its left and top.
constexpr int kTableLeft = 60;
constexpr int kTableTop = 360;

const QColor kLightCyan(0x80, 0xFF, 0xFF);

}  // namespace

Form1::Form1(QWidget* parent) : Form1(RealFileSystem(), parent) {}

Form1::Form1(FileSystem& fs, QWidget* parent)
    : QWidget(parent), m_fs(fs), m_journalFolder(StateFolder()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tagwright"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(AppIcon());
    setFont(JapaneseFont(9));
    m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_search.SetTagCache(&m_tags);

    m_tabs = new TabControl(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->setGeometry(0, 0, TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    BuildListTab(m_tabs->AddPage(QStringLiteral("Tagwright")));
    BuildSet1Tab(m_tabs->AddPage(QStringLiteral("Set１")));
    BuildSet2Tab(m_tabs->AddPage(QStringLiteral("Set2")));
    m_tabs->setCurrentIndex(0);
    connect(m_tabs, &TabControl::pressed, this, &Form1::ResetLabel5Colour);

    SetUpGrid();
    BuildPopupMenu();
    m_hooks = CoreNamingHooks();
    LoadSettings(Settings{});
    ConnectCommands();
    resize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
}

Form1::~Form1() {
    // The views read the store, a member that dies before QWidget's destructor hides and
    // deletes the children: they go first.
    delete m_searchForm;
    delete m_dirSelectForm;
    delete m_tabs;
    delete m_model;
}

void Form1::BuildListTab(QWidget* page) {
    MakeTitleLabel(page, "Label3", QStringLiteral("Tagwright Ver0.0"), Qt::white);

    m_table = new QTableView(page);
    m_table->setObjectName(QStringLiteral("MP3Table"));
    SetTwipsGeometry(m_table, kTableLeft, kTableTop, 5295, 5565);
    m_model = new ListTableModel(m_store, m_grid, this);
    m_table->setModel(m_model);

    m_frame5 = new QWidget(page);
    m_frame5->setObjectName(QStringLiteral("Frame5"));
    SetTwipsGeometry(m_frame5, 60, 5970, 5295, 1035);

    // The designed 945 twips do not hold "ファイル数 ： " in a CJK font at 9 points; the
    // caption gets the room it needs and the count follows it.
    auto* label22 = new QLabel(QStringLiteral("ファイル数 ： "), m_frame5);
    label22->setObjectName(QStringLiteral("Label22"));
    SetTwipsGeometry(label22, 30, 0, 1200, 225);
    m_fileCountLabel = new QLabel(ToQt(m_store.FileCountText()), m_frame5);
    m_fileCountLabel->setObjectName(QStringLiteral("FileCountLabel"));
    SetTwipsGeometry(m_fileCountLabel, 1245, 0, 945, 225);
    connect(m_model, &ListTableModel::fileCountChanged, m_fileCountLabel, &QLabel::setText);

    m_progress = new QProgressBar(m_frame5);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    SetTwipsGeometry(m_progress, 30, 0, 5265, 165);
    m_progress->hide();

    // Stops a drop, search or batch between two files, as Esc does; shown only while one runs.
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), m_frame5);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    SetTwipsGeometry(m_cancel, 1710, 450, 1200, 375);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &Form1::StopBatch);

    auto* command4 =
        new PictureButton(QStringLiteral("Search"), QStringLiteral("search"), m_frame5);
    command4->setObjectName(QStringLiteral("Command4"));
    SetTwipsGeometry(command4, 30, 240, 735, 795);
    connect(command4, &QPushButton::clicked, this, &Form1::ShowSearchForm);

    auto* moveBtn = new PictureButton(QStringLiteral("Move"), QStringLiteral("move"), m_frame5);
    moveBtn->setObjectName(QStringLiteral("MoveBtn"));
    SetTwipsGeometry(moveBtn, 3690, 240, 735, 795);
    connect(moveBtn, &QPushButton::clicked, this, &Form1::moveRequested);

    auto* reNameBtn =
        new PictureButton(QStringLiteral("ReName"), QStringLiteral("rename"), m_frame5);
    reNameBtn->setObjectName(QStringLiteral("ReNameBtn"));
    SetTwipsGeometry(reNameBtn, 4530, 240, 735, 795);
    connect(reNameBtn, &QPushButton::clicked, this, &Form1::reNameRequested);
}

void Form1::SetUpGrid() {
    m_table->setFont(JapaneseFont(9));
    m_table->setWordWrap(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Tab moves on to the buttons, as in any other control; the arrow keys walk the cells.
    m_table->setTabKeyNavigation(false);
    QHeaderView* vertical = m_table->verticalHeader();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    vertical->setDefaultSectionSize(QFontMetrics(m_table->font()).height() + 2);
    vertical->hide();
    QHeaderView* horizontal = m_table->horizontalHeader();
    horizontal->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontal->setHighlightSections(false);
    horizontal->setSectionsClickable(false);
    // R and M are 20 pixels wide, below the style's usual least width.
    horizontal->setMinimumSectionSize(1);
    ApplyColumnWidths();
    // A reset gives every column the header's default width. The widths shown are noted first
    // (the header has not yet dropped them) and put back afterwards, but a width that
    // emptying the list changed in the grid state wins.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        for (int c = 0; c < ListStore::kColumnCount; ++c)
            m_shownWidths[static_cast<std::size_t>(c)] = m_table->columnWidth(c);
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &Form1::KeepColumnWidthsOverReset);

    // Kept aside: the filter also sees events while the table is being destroyed, when its
    // viewport() may no longer be called.
    m_gridViewport = m_table->viewport();
    m_table->installEventFilter(this);
    m_gridViewport->installEventFilter(this);
    m_gridViewport->setAcceptDrops(true);
    // The header row is part of the grid to the user: a right click or a drop there does
    // what it does on the rows.
    m_headerViewport = horizontal->viewport();
    m_headerViewport->installEventFilter(this);
    m_headerViewport->setAcceptDrops(true);
}

void Form1::ApplyColumnWidths() {
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        m_appliedWidths[static_cast<std::size_t>(c)] = m_grid.ColumnWidth(c);
        m_table->setColumnWidth(c, TwipsToPixels(m_grid.ColumnWidth(c)));
    }
}

void Form1::KeepColumnWidthsOverReset() {
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (m_grid.ColumnWidth(c) != m_appliedWidths[i]) {
            m_appliedWidths[i] = m_grid.ColumnWidth(c);
            m_table->setColumnWidth(c, TwipsToPixels(m_appliedWidths[i]));
        } else {
            m_table->setColumnWidth(c, m_shownWidths[i]);
        }
    }
}

void Form1::BuildPopupMenu() {
    // mnuA itself ("A") never shows; only its two submenus pop up over the grid.
    m_mnuA = new QMenu(QStringLiteral("A"), this);
    m_mnuA->setObjectName(QStringLiteral("mnuA"));

    const auto addMenu = [](QMenu* parent, const char* name, const QString& caption) {
        QMenu* menu = parent->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    // One signal per menu array, told the element's index.
    const auto addArray = [this](QMenu* parent, const char* name, const QStringList& captions,
                                 void (Form1::*signal)(int)) {
        for (int i = 0; i < captions.size(); ++i) {
            QAction* action = parent->addAction(captions[i]);
            action->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
            action->setProperty("index", i);
            connect(action, &QAction::triggered, this, [this, signal, i] { (this->*signal)(i); });
        }
    };

    QMenu* mnuSort = addMenu(m_mnuA, "mnuSort", QStringLiteral("整列"));
    QMenu* mnuSortFN = addMenu(mnuSort, "mnuSortFN", QStringLiteral("ファイル名"));
    addArray(mnuSortFN, "mnuSortFileName", {QStringLiteral("昇順"), QStringLiteral("降順")},
             &Form1::sortFileNameRequested);

    QMenu* mnuPreview = addMenu(m_mnuA, "mnuPreview", QStringLiteral("プレビュー"));
    addArray(mnuPreview, "mnuPreviewBatch", {QStringLiteral("リネーム"), QStringLiteral("移動")},
             &Form1::previewRequested);

    QMenu* mnuDel = addMenu(m_mnuA, "mnuDel", QStringLiteral("リストから削除"));
    QAction* mnuDelAll = mnuDel->addAction(QStringLiteral("すべてのファイル"));
    mnuDelAll->setObjectName(QStringLiteral("mnuDelAll"));
    connect(mnuDelAll, &QAction::triggered, this, &Form1::delAllRequested);
    QMenu* mnuDelRe = addMenu(mnuDel, "mnuDelRe", QStringLiteral("リネーム成否"));
    addArray(mnuDelRe, "mnuDelRename", {QStringLiteral("失敗"), QStringLiteral("成功")},
             &Form1::delRenameRequested);
    QMenu* mnuDelFMo = addMenu(mnuDel, "mnuDelFMo", QStringLiteral("ファイル移動"));
    addArray(mnuDelFMo, "mnuDelFMove", {QStringLiteral("失敗"), QStringLiteral("成功")},
             &Form1::delFMoveRequested);
    QMenu* mnuDelTag = addMenu(mnuDel, "mnuDelTag", QStringLiteral("タグ"));
    // "&&" shows one "&"; a single one would mark a shortcut letter.
    addArray(mnuDelTag, "mnuDelTagV",
             {QStringLiteral("タグなし"), QStringLiteral("v1&&v1.1"), QStringLiteral("v2")},
             &Form1::delTagVRequested);

    QAction* mnuUndo = m_mnuA->addAction(QStringLiteral("元に戻す"));
    mnuUndo->setObjectName(QStringLiteral("mnuUndo"));
    connect(mnuUndo, &QAction::triggered, this, &Form1::undoRequested);
}

void Form1::BeginProgress(int maximum) {
    m_progress->setRange(0, std::max(maximum, 1));
    m_progress->setValue(0);
    // The bar is lower than the count's text; what it would leave showing of the count is
    // hidden with it.
    for (QWidget* count : m_frame5->findChildren<QLabel*>())
        count->hide();
    m_progress->show();
    m_progress->raise();
    m_progress->repaint();
}

void Form1::AdvanceProgress() {
    m_progress->setValue(std::min(m_progress->value() + 1, m_progress->maximum()));
    m_progress->repaint();
}

void Form1::EndProgress() {
    m_progress->hide();
    for (QWidget* count : m_frame5->findChildren<QLabel*>())
        count->show();
}

bool Form1::AskCreateFolder(const QString& prompt, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok | QMessageBox::Cancel,
                    this);
    box.setObjectName(QStringLiteral("FolderQuestion"));
    // Not modal: a modal box would make the window system's close button and Esc on the main
    // window go unheard, and a batch asking about many files could then not be left. The
    // window's controls wait instead, so nothing else reaches the list while the batch runs.
    box.setWindowModality(Qt::NonModal);
    QEventLoop answered;
    connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
    const QPointer<QWidget> hadFocus = focusWidget();
    m_tabs->setEnabled(false);
    m_question = &box;
    box.show();
    box.activateWindow();
    answered.exec();
    m_question = nullptr;
    m_tabs->setEnabled(true);
    if (hadFocus != nullptr)
        hadFocus->setFocus();
    return !m_stopBatch && box.clickedButton() == box.button(QMessageBox::Ok);
}

void Form1::StopBatch() {
    if (!m_busy)
        return;
    m_stopBatch = true;
    if (m_question != nullptr)
        m_question->reject();
}

SearchForm& Form1::searchForm() {
    if (m_searchForm == nullptr) {
        m_searchForm = new SearchForm(this, m_fs);
        connect(m_searchForm, &SearchForm::searchRequested, this, &Form1::searchRequested);
        // What the search skipped is told once the dialog is out of the way.
        connect(m_searchForm, &QDialog::accepted, this, [this] {
            FileAddReport report = std::exchange(m_searchReport, {});
            TellSkipped(report);
        });
    }
    return *m_searchForm;
}

DirSelectForm& Form1::dirSelectForm() {
    if (m_dirSelectForm == nullptr) {
        m_dirSelectForm = new DirSelectForm(m_mp3SaveFolderTxt, this, m_fs);
    }
    return *m_dirSelectForm;
}

void Form1::ShowSearchForm() {
    if (m_busy)
        return;
    searchForm().exec();
}

void Form1::ShowDirSelectForm() {
    // Its folder lists read the file system the running work is using.
    if (m_busy)
        return;
    // Read afresh each time: a move may have made folders since the list was last read.
    dirSelectForm().lists().OpenAfresh(m_mp3SaveFolderTxt->text());
    dirSelectForm().exec();
}

QString Form1::ManualPath() {
    return ManualPathFor(QCoreApplication::applicationDirPath());
}

QString Form1::ManualPathFor(const QString& programFolder) {
    const QDir dir(programFolder);
    const QString beside = dir.filePath(QStringLiteral("manual.html"));
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/tagwright/manual.html")));
    return QFileInfo::exists(installed) ? installed : beside;
}

void Form1::OpenSupportHome() {
    const QString path = ManualPath();
    if (QFileInfo::exists(path) && m_openUrl(QUrl::fromLocalFile(path)))
        return;
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), QStringLiteral("error"), QMessageBox::Ok,
                    this);
    box.setObjectName(QStringLiteral("SupportError"));
    emit supportHomeFailed();
    box.exec();
}

void Form1::ResetLabel5Colour() {
    SetTextColour(m_label5, m_label5->palette().color(QPalette::HighlightedText));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyLayoutRule();
}

void Form1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_busy) {
        StopBatch();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        // The file in hand is finished first, so that every row tells the truth; the window
        // closes as soon as the work has stopped.
        m_closeAfterBatch = true;
        StopBatch();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Form1::ApplyLayoutRule() {
    // Thresholds are on the outer size, in twips; at or below them (a minimized window) the
    // controls keep their last layout.
    const QSize outer = frameGeometry().size();
    if (outer.width() * 15 <= 200 || outer.height() * 15 <= 2000)
        return;
    m_tabs->setGeometry(0, 0, width(), height());
    const int tableWidth = std::max(0, m_tabs->width() * 15 - 120) / 15;
    const int tableHeight = std::max(0, m_tabs->height() * 15 - 1600) / 15;
    m_table->setGeometry(m_table->x(), m_table->y(), tableWidth, tableHeight);
    m_frame5->move(m_frame5->x(), m_table->y() + tableHeight);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    bool handled = false;
    if (watched == m_table)
        handled = TableEvent(event);
    else if (watched == m_gridViewport || watched == m_headerViewport)
        handled = GridEvent(event);
    else if (watched == m_label5)
        handled = Label5Event(event);
    else if (watched == static_cast<QObject*>(m_mp3SaveFolderTxt))
        StorageBoxEvent(event);
    return handled || QWidget::eventFilter(watched, event);
}

bool Form1::TableEvent(QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Delete) {
        return false;
    }
    emit deleteKeyPressed();
    return true;
}

bool Form1::Label5Event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
            SetTextColour(m_label5, kLightCyan);
            return false;
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_label5->rect().contains(mouse->position().toPoint())) {
                OpenSupportHome();
            }
            return true;
        }
        case QEvent::MouseButtonPress:
            return true;
        default:
            return false;
    }
}

bool Form1::GridEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                m_mnuA->popup(mouse->globalPosition().toPoint());
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls()) {
                if (url.isLocalFile())
                    paths.append(QDir::toNativeSeparators(url.toLocalFile()));
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            emit pathsDropped(paths);
            return true;
        }
        default:
            return false;
    }
}

void Form1::StorageBoxEvent(QEvent* event) {
    // A left click opens the folder chooser. A right click is the box's own menu, and a
    // press that dragged was selecting text.
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    if (event->type() == QEvent::MouseButtonPress) {
        if (mouse->button() == Qt::LeftButton)
            m_boxPressAt = at;
        else
            m_boxPressAt.reset();
        return;
    }
    const std::optional<QPoint> pressAt = std::exchange(m_boxPressAt, std::nullopt);
    if (mouse->button() != Qt::LeftButton || !pressAt || m_mp3SaveFolderTxt->hasSelectedText() ||
        (at - *pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        return;
    }
    ShowDirSelectForm();
}

}  // namespace tagwright
