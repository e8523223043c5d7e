// Saves a picture of each tab and dialog of the window, with a few listed files, so that a
// person can check that every caption is readable and nothing overlaps or is cut off.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "ui/dir_select_form.h"
#include "ui/folder_lists.h"
#include "ui/form1.h"
#include "ui/search_form.h"
#include "ui/skipped_entries_dialog.h"
#include "ui/tab_control.h"

namespace {

bool Save(QWidget& widget, const QDir& dir, const QString& name) {
    const QString file = dir.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(file)) {
        qWarning("cannot write %s", qPrintable(file));
        return false;
    }
    return true;
}

// Saves the next modal window once it is up, then closes it with `close`.
void SaveNextModal(const QDir& dir, const QString& name, bool* ok,
                   const std::function<void(QWidget*)>& close) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        // The folder question is a dialog shown without modality.
        QWidget* modal = QApplication::activeModalWidget();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (modal == nullptr && qobject_cast<QDialog*>(w) != nullptr && w->isVisible())
                modal = w;
        }
        if (modal == nullptr || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        *ok = Save(*modal, dir, name) && *ok;
        close(modal);
    });
    timer->start(20);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString outDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir dir;
    if (!dir.mkpath(outDir)) {
        qWarning("cannot create %s", qPrintable(outDir));
        return 1;
    }
    dir.setPath(outDir);

    tagwright::Form1 window;
    tagwright::ListStore& store = window.store();
    store.AppendFileRow("01 夜に駆ける.mp3", "v1.1&v2", "/music/YOASOBI/01 夜に駆ける.mp3");
    store.AppendFileRow("track02.MP3", "v1.0", "/music/incoming/track02.MP3");
    store.AppendFileRow("さくらんぼ.mp3", "v2", "/music/incoming/さくらんぼ.mp3");
    store.AppendFileRow("no tag.mp3", "", "/music/incoming/no tag.mp3");
    store.SetCell(1, tagwright::ListStore::kR, tagwright::ListStore::kDone);
    store.SetCell(1, tagwright::ListStore::kNewName, "夜に駆ける-YOASOBI.mp3");
    store.SetCell(1, tagwright::ListStore::kM, tagwright::ListStore::kDone);
    store.SetCell(1, tagwright::ListStore::kPath,
                  "/music/YOASOBI/夜に駆ける/夜に駆ける-YOASOBI.mp3");
    store.SetCell(2, tagwright::ListStore::kM, tagwright::ListStore::kRefused);
    store.SetCell(4, tagwright::ListStore::kR, tagwright::ListStore::kRefused);
    store.SetCell(4, tagwright::ListStore::kNewName, "Faild:lack of TagInfo");
    store.UpdateFileCount();
    window.show();

    bool ok = true;
    const char* tabNames[] = {"tab0_list", "tab1_set1", "tab2_set2"};
    for (int i = 0; i < 3; ++i) {
        window.tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        ok = Save(window, dir, QString::fromLatin1(tabNames[i])) && ok;
    }

    // "ID3v2のみから情報を得る" greys the two priority options.
    window.tabs()->setCurrentIndex(1);
    if (auto* v2Only = window.findChild<QRadioButton*>(QStringLiteral("Option1_1")))
        v2Only->click();
    ok = Save(window, dir, QStringLiteral("tab1_set1_greyed")) && ok;

    window.tabs()->setCurrentIndex(0);
    window.BeginProgress(5);
    window.AdvanceProgress();
    window.AdvanceProgress();
    ok = Save(window, dir, QStringLiteral("tab0_progress")) && ok;
    window.EndProgress();

    QMenu* popup = window.popupMenu();
    popup->popup(window.mapToGlobal(QPoint(60, 80)));
    QApplication::processEvents();
    ok = Save(*popup, dir, QStringLiteral("popup_mnuA")) && ok;
    if (auto* del = popup->findChild<QMenu*>(QStringLiteral("mnuDel"))) {
        ok = Save(*del, dir, QStringLiteral("popup_mnuDel")) && ok;
        if (auto* tag = del->findChild<QMenu*>(QStringLiteral("mnuDelTag")))
            ok = Save(*tag, dir, QStringLiteral("popup_mnuDelTag")) && ok;
    }
    if (auto* undo = popup->findChild<QAction*>(QStringLiteral("mnuUndo"))) {
        popup->setActiveAction(undo);
        QApplication::processEvents();
        ok = Save(*popup, dir, QStringLiteral("popup_mnuUndo")) && ok;
    } else {
        ok = false;
    }
    popup->hide();

    tagwright::SearchForm& search = window.searchForm();
    search.lists().OpenFolder(QDir::rootPath());
    search.show();
    QApplication::processEvents();
    ok = Save(search, dir, QStringLiteral("dialog_search")) && ok;
    search.hide();

    tagwright::DirSelectForm& chooser = window.dirSelectForm();
    chooser.lists().OpenFolder(QDir::rootPath());
    chooser.show();
    QApplication::processEvents();
    ok = Save(chooser, dir, QStringLiteral("dialog_dirselect")) && ok;
    chooser.hide();

    // The folder question, as the move batch asks it.
    // The main window waits behind it, greyed, but still hears Esc and its close button.
    SaveNextModal(dir, QStringLiteral("message_folder_question"), &ok, [&](QWidget* box) {
        ok = Save(window, dir, QStringLiteral("tab0_behind_folder_question")) && ok;
        qobject_cast<QMessageBox*>(box)->reject();
    });
    window.AskCreateFolder(
        QStringLiteral("フォルダがありません。作成しますか？\r\n/music/YOASOBI/夜に駆ける/"),
        QStringLiteral("フォルダの作成"));

    // What a search could not read.
    std::vector<tagwright::Error> skipped;
    for (int i = 0; i < 12; ++i) {
        skipped.push_back(
            {"list", "/music/鍵のかかったフォルダ/" + std::to_string(i), "Permission denied", 13});
    }
    tagwright::SkippedEntriesDialog told(skipped, &window);
    told.show();
    QApplication::processEvents();
    ok = Save(told, dir, QStringLiteral("dialog_skipped_entries")) && ok;
    told.hide();

    // What a move batch's file system refused.
    std::vector<tagwright::RefusedFile> refused = {
        {"/music/incoming/track02.MP3",
         {"create folder", "/music/読めない/track02", "Permission denied", 13}},
        {"/music/incoming/さくらんぼ.mp3",
         {"move", "/music/incoming/さくらんぼ.mp3", "Read-only file system", 30}},
    };
    tagwright::RefusedFilesDialog refusedDialog(tagwright::BatchKind::kMove, refused, &window);
    refusedDialog.show();
    QApplication::processEvents();
    ok = Save(refusedDialog, dir, QStringLiteral("dialog_refused_files")) && ok;
    refusedDialog.hide();

    // A narrow, low window: the grid shrinks and the command strip follows it.
    window.resize(300, 300);
    QApplication::processEvents();
    ok = Save(window, dir, QStringLiteral("tab0_resized")) && ok;

    return ok ? 0 : 1;
}
