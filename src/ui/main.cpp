#include <QApplication>
#include <QScreen>
#include <QTimer>

#include "ui/form1.h"
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
    tagwright::Form1 window;
    // Windows knows the frame once the native window exists; X11 window managers add it only
    // when the window is mapped, so the window is centred again once it has its frame.
    window.winId();
    CentreOnScreen(window);
    const QSize clientOnly = window.frameGeometry().size();
    window.show();
    QTimer::singleShot(0, &window, [&window, clientOnly] {
        if (window.frameGeometry().size() != clientOnly)
            CentreOnScreen(window);
    });
    return QApplication::exec();
}
