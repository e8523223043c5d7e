#include "ui/folder_lists.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>

#include "platform/path.h"
#include "platform/special_folders.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tagwright {

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

FolderLists::FolderLists(QWidget* dialog, FileSystem& fs)
    : QObject(dialog), m_chooser(fs, FileSystemRoots(), path::WorkingFolder()) {
    m_drives = new QComboBox(dialog);
    m_drives->setObjectName(QStringLiteral("Drive1"));
    for (const std::string& root : m_chooser.Drives())
        m_drives->addItem(ToQt(root));
    connect(m_drives, &QComboBox::activated, this, &FolderLists::ChooseDrive);

    m_folders = new QTreeWidget(dialog);
    m_folders->setObjectName(QStringLiteral("Dir1"));
    m_folders->setHeaderHidden(true);
    m_folders->setRootIsDecorated(false);
    m_folders->setItemsExpandable(false);
    m_folders->setIndentation(12);
    m_folders->setIconSize(QSize(16, 16));
    connect(m_folders, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { Activate(item); });
    m_folders->installEventFilter(this);

    ShowFolders();
    ShowDrive();
}

QString FolderLists::CurrentFolder() const {
    return ToQt(m_chooser.CurrentFolder());
}

bool FolderLists::OpenFolder(const QString& path) {
    if (!m_chooser.OpenFolder(FromQt(path)).ok())
        return false;
    ShowFolders();
    return true;
}

bool FolderLists::OpenSpecialFolder(const QString& name) {
    if (!m_chooser.OpenSpecialFolder(FromQt(name)).ok())
        return false;
    ShowFolders();
    return true;
}

void FolderLists::ChooseDrive(int index) {
    if (index < 0 || index >= m_drives->count())
        return;
    if (m_chooser.ChooseDrive(FromQt(m_drives->itemText(index))))
        ShowFolders();
    else
        ShowDrive();
}

void FolderLists::OpenAfresh(const QString& folder) {
    m_chooser.OpenAfresh(FromQt(folder));
    ShowFolders();
    ShowDrive();
}

void FolderLists::ShowFolders() {
    const QIcon open(IconPixmap(QStringLiteral("folder_open"), 16));
    const QIcon closed(IconPixmap(QStringLiteral("folder_closed"), 16));
    m_folders->clear();
    // Each line hangs below the last line one level up: the chain, then the children.
    std::vector<QTreeWidgetItem*> parents;
    QTreeWidgetItem* opened = nullptr;
    const std::vector<FolderLine>& lines = m_chooser.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const FolderLine& line = lines[i];
        parents.resize(static_cast<std::size_t>(line.depth));
        auto* item =
            parents.empty() ? new QTreeWidgetItem(m_folders) : new QTreeWidgetItem(parents.back());
        item->setText(0, ToQt(line.name));
        item->setIcon(0, line.open ? open : closed);
        item->setData(0, kPathRole, ToQt(line.path));
        item->setExpanded(line.open);
        parents.push_back(item);
        if (i == m_chooser.OpenedLine())
            opened = item;
    }
    m_folders->expandAll();
    m_folders->setCurrentItem(opened);
    m_folders->scrollToItem(opened);
}

void FolderLists::ShowDrive() {
    const int drive = m_drives->findText(ToQt(m_chooser.ShownDrive()));
    if (drive >= 0)
        m_drives->setCurrentIndex(drive);
}

void FolderLists::Activate(QTreeWidgetItem* item) {
    if (item != nullptr)
        OpenFolder(item->data(0, kPathRole).toString());
}

bool FolderLists::eventFilter(QObject* watched, QEvent* event) {
    // Enter opens the highlighted folder and must not reach the dialog, where it would press
    // a button.
    if (watched == m_folders && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Activate(m_folders->currentItem());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tagwright
