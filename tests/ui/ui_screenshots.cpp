// Saves a picture of each tab and dialog of the window, with a few listed files, so that a
// person can check that every caption is readable and nothing overlaps or is cut off.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "ui/dir_select_form.h"
#include "ui/folder_lists.h"
#include "ui/form1.h"
#include "ui/preview_dialog.h"
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
    store.AppendFileRow("01 夜に駆ける.mp3", 10, "/music/YOASOBI/01 夜に駆ける.mp3");
    store.AppendFileRow("track02.MP3", 1, "/music/incoming/track02.MP3");
    store.AppendFileRow("さくらんぼ.mp3", 8, "/music/incoming/さくらんぼ.mp3");
    store.AppendFileRow("no tag.mp3", 0, "/music/incoming/no tag.mp3");
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

    // The previews: every outcome a line can have, and two names one only by a voiced mark's
    // form (composed and combining).
    const auto line = [](std::string path, std::string newPath, int clash,
                         tagwright::PlanLine::Outcome outcome, std::string reason = {}) {
        tagwright::PlanLine l;
        l.path = path;
        l.newPath = newPath;
        l.wantedPath = newPath;
        l.clashNumber = clash;
        l.outcome = outcome;
        l.error = {"rename", path, std::move(reason), 0};
        return l;
    };
    using Outcome = tagwright::PlanLine::Outcome;
    tagwright::BatchPlan renamePlan;
    renamePlan.lines = {
        line("/music/in/track01.mp3", "/music/in/ガラスの街.mp3", -1, Outcome::kWouldDo),
        line("/music/in/track02.mp3", "/music/in/\u30AB\u3099ラスの街.mp3", -1, Outcome::kWouldDo),
        line("/music/in/track03.MP3", "/music/in/さくらんぼ(0).mp3", 0, Outcome::kWouldDo),
        line("/music/in/夜に駆ける.mp3", "/music/in/夜に駆ける.mp3", -1, Outcome::kWouldDo),
        line("/music/in/no tag.mp3", "", -1, Outcome::kBlankEscape),
        line("/music/in/locked.mp3", "", -1, Outcome::kRefused, "Permission denied"),
    };
    tagwright::MarkCollisions(renamePlan);
    tagwright::BatchPlan movePlan = renamePlan;
    movePlan.kind = tagwright::BatchKind::kMove;
    movePlan.lines[0].newPath = "/music/library/YOASOBI/THE BOOK/track01.mp3";
    movePlan.lines[0].asksFolder = true;
    movePlan.lines[1].path = "/music/in2/track01.mp3";
    movePlan.lines[1].newPath = "/music/library/YOASOBI/THE BOOK/track01(0).mp3";
    movePlan.lines[1].clashNumber = 0;
    movePlan.lines[2].newPath = "/music/library/大塚愛/LOVE PUNCH/track03(0).MP3";
    movePlan.lines[3].path = "/music/library/ヨルシカ/盗作/夜に駆ける.mp3";
    movePlan.lines[3].newPath = movePlan.lines[3].path;
    movePlan.lines[4].outcome = Outcome::kNoFolder;
    for (auto& l : movePlan.lines)
        l.wantedPath = l.newPath;
    movePlan.lines[1].wantedPath = movePlan.lines[0].newPath;
    tagwright::MarkCollisions(movePlan);
    for (const auto& [plan, name] : {std::pair{renamePlan, "dialog_preview_rename"},
                                     std::pair{movePlan, "dialog_preview_move"}}) {
        tagwright::PreviewDialog preview(plan, &window);
        preview.show();
        QApplication::processEvents();
        ok = Save(preview, dir, QString::fromLatin1(name)) && ok;
        preview.hide();
    }
    popup->popup(window.mapToGlobal(QPoint(60, 80)));
    QApplication::processEvents();
    if (auto* previewMenu = popup->findChild<QMenu*>(QStringLiteral("mnuPreview"))) {
        previewMenu->popup(popup->mapToGlobal(QPoint(popup->width(), 0)));
        QApplication::processEvents();
        ok = Save(*previewMenu, dir, QStringLiteral("popup_mnuPreview")) && ok;
        previewMenu->hide();
    }
    popup->hide();

    // A long search under way: the files found so far and the Cancel button, taken once the
    // first rows are in and then cancelled.
    QTemporaryDir many;
    for (int i = 0; i < 20000; ++i) {
        QFile file(many.filePath(QStringLiteral("%1.mp3").arg(i, 5, 10, QLatin1Char('0'))));
        ok = file.open(QIODevice::WriteOnly) && ok;
    }
    emit window.delAllRequested();  // "すべてのファイル", as a user empties the list
    QTimer whileSearching;
    QObject::connect(&whileSearching, &QTimer::timeout, [&] {
        if (!window.Busy() || window.fileCountLabel()->text().toInt() == 0)
            return;
        whileSearching.stop();
        ok = Save(window, dir, QStringLiteral("tab0_searching")) && ok;
        window.StopBatch();
    });
    whileSearching.start(5);
    window.SearchFolder(many.path(), QStringLiteral("mp3"), false);

    // A narrow, low window: the grid shrinks and the command strip follows it.
    window.resize(300, 300);
    QApplication::processEvents();
    ok = Save(window, dir, QStringLiteral("tab0_resized")) && ok;

    return ok ? 0 : 1;
}
