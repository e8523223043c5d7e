#include <QApplication>
#include <QScreen>

#include "ui/form1.h"
#include "ui/widgets.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tagwright"));
    QApplication::setWindowIcon(tagwright::AppIcon());
    tagwright::Form1 window;
    // Shown centred on the screen it opens on.
    if (const QScreen* screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return QApplication::exec();
}
