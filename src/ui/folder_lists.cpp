#include "ui/folder_lists.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>

#include "platform/special_folders.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tagwright {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString Native(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

// True when `folder` lies on `root` ("/media/usb" holds "/media/usb/x", not "/media/usb2").
bool IsOnRoot(const QString& folder, const QString& root) {
    if (!folder.startsWith(root, Qt::CaseInsensitive))
        return false;
    return root.endsWith(QDir::separator()) || folder.size() == root.size() ||
           folder.at(root.size()) == QDir::separator();
}

}  // namespace

FolderLists::FolderLists(QWidget* dialog) : QObject(dialog) {
    m_drives = new QComboBox(dialog);
    m_drives->setObjectName(QStringLiteral("Drive1"));
    for (const std::string& root : FileSystemRoots())
        m_drives->addItem(Native(ToQt(root)));
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

    if (!OpenFolder(QDir::currentPath()))
        OpenFolder(QDir::rootPath());
    ShowDriveOf(m_current);
}

bool FolderLists::OpenFolder(const QString& path) {
    const QString folder = Native(path);
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    const QStringList children =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    const QIcon open(IconPixmap(QStringLiteral("folder_open"), 16));
    const QIcon closed(IconPixmap(QStringLiteral("folder_closed"), 16));
    m_folders->clear();

    // The chain from the root down to the opened folder, then the opened folder's children,
    // as a drive-and-folder list shows them.
    QStringList chain;
    for (QDir up(folder);;) {
        chain.prepend(Native(up.absolutePath()));
        if (up.isRoot() || !up.cdUp())
            break;
    }
    QTreeWidgetItem* parent = nullptr;
    for (const QString& link : chain) {
        const QString name = QFileInfo(link).fileName();
        auto* item =
            parent == nullptr ? new QTreeWidgetItem(m_folders) : new QTreeWidgetItem(parent);
        item->setText(0, name.isEmpty() ? link : name);
        item->setIcon(0, open);
        item->setData(0, kPathRole, link);
        item->setExpanded(true);
        parent = item;
    }
    for (const QString& child : children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, child);
        item->setIcon(0, closed);
        item->setData(0, kPathRole, Native(dir.filePath(child)));
    }
    m_folders->expandAll();
    m_folders->setCurrentItem(parent);
    m_folders->scrollToItem(parent);
    m_current = chain.last();
    return true;
}

bool FolderLists::OpenSpecialFolder(const QString& name) {
    const auto path = SpecialFolderPath(FromQt(name));
    return path.ok() && OpenFolder(ToQt(path.value()));
}

void FolderLists::ChooseDrive(int index) {
    if (index < 0 || index >= m_drives->count() || index == DriveIndexOf(m_current))
        return;
    if (!OpenFolder(m_drives->itemText(index)))
        ShowDriveOf(m_current);
}

void FolderLists::OpenAfresh(const QString& folder) {
    bool opened = false;
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder)) {
        // A storage folder not made yet opens at what there is of it.
        for (QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder)); !opened;) {
            opened = OpenFolder(path);
            const QString up = QFileInfo(path).path();
            if (up == path)
                break;
            path = up;
        }
    }
    if (!opened && !OpenFolder(m_current) && !OpenFolder(QDir::currentPath()))
        OpenFolder(QDir::rootPath());
    ShowDriveOf(m_current);
}

int FolderLists::DriveIndexOf(const QString& folder) const {
    int best = -1;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemText(i);
        if (IsOnRoot(folder, root) && (best < 0 || root.size() > m_drives->itemText(best).size()))
            best = i;
    }
    return best;
}

void FolderLists::ShowDriveOf(const QString& folder) {
    const int drive = DriveIndexOf(folder);
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
