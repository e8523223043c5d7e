#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include "platform/cp932.h"
#include "ui/form1.h"
#include "ui/settings_store.h"
#include "ui/widgets.h"

namespace {

// Centres the whole window, frame and title bar included, on the screen it opens on.
void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tagwright"));
    QApplication::setWindowIcon(tagwright::AppIcon());
    // Without the decoder, tag texts would turn into names full of U+FFFD.
    if (const auto problem = tagwright::Cp932DecoderProblem()) {
        QMessageBox::critical(
            nullptr, QStringLiteral("Tagwright"),
            QStringLiteral("この環境ではタグの文字 (コードページ 932、Shift_JIS) を読めないため、"
                           "起動できません。\n\n") +
                QString::fromStdString(*problem));
        return 1;
    }
    tagwright::Form1 window;
    const auto store = tagwright::OpenWindowSettings();
    const bool placed = store->contains(QStringLiteral("Window/geometry"));
    const QStringList problems = tagwright::RestoreWindow(window, *store);
    // Windows knows the frame once the native window exists; X11 window managers add it only
    // when the window is mapped, so the window is centred again once it has its frame.
    window.winId();
    if (!placed)
        CentreOnScreen(window);
    const QSize clientOnly = window.frameGeometry().size();
    window.show();
    QTimer::singleShot(0, &window, [&window, clientOnly, placed, problems] {
        if (!placed && window.frameGeometry().size() != clientOnly)
            CentreOnScreen(window);
        window.RecoverInterruptedCopiesOnStart();
        if (!problems.isEmpty()) {
            QMessageBox::warning(
                &window, QStringLiteral("Tagwright"),
                QStringLiteral("保存された設定の一部が使えないため、初期値を使います。\n\n") +
                    problems.join(QLatin1Char('\n')));
        }
    });
    const int status = QApplication::exec();
    tagwright::SaveWindow(window, *store);
    return status;
}
