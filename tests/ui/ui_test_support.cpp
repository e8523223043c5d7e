#include "ui_test_support.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

namespace tagwright::test {

QWidget* ShownDialog(const QString& objectName) {
    const auto fits = [&objectName](QWidget* w) {
        return w != nullptr && w->isVisible() &&
               (objectName.isEmpty() || w->objectName() == objectName);
    };
    if (QWidget* modal = QApplication::activeModalWidget())
        return fits(modal) ? modal : nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(w) != nullptr && fits(w))
            return w;
    }
    return nullptr;
}

void WhenModalOpens(std::function<void(QWidget*)> answer, const QString& objectName) {
    // Polls: the dialog opens inside a nested event loop that the caller is blocked in.
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, objectName] {
        QWidget* modal = ShownDialog(objectName);
        if (modal == nullptr)
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start(10);
}

QString ShownText(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    return {};
}

namespace {

bool IsLeaf(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QProgressBar*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
           qobject_cast<const QTabBar*>(w);
}

void CollectLeaves(QWidget* w, QList<QWidget*>& leaves) {
    for (QObject* child : w->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget->isWindow() || !widget->isVisible())
            continue;
        if (IsLeaf(widget))
            leaves.append(widget);
        else
            CollectLeaves(widget, leaves);
    }
}

QString Name(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

// The room a caption needs beside what the style adds around it.
QString CaptionProblem(QWidget* w) {
    const QString text = ShownText(w);
    if (text.isEmpty() || qobject_cast<QLineEdit*>(w) != nullptr)
        return {};
    const QFontMetrics fm(w->font());
    if (auto* label = qobject_cast<QLabel*>(w)) {
        const QRect room = label->contentsRect();
        if (label->wordWrap()) {
            if (label->heightForWidth(label->width()) > label->height() + 1)
                return QStringLiteral("%1: wrapped text needs %2 px, has %3")
                    .arg(Name(w))
                    .arg(label->heightForWidth(label->width()))
                    .arg(label->height());
            return {};
        }
        if (fm.horizontalAdvance(text) > room.width())
            return QStringLiteral("%1: text needs %2 px, has %3")
                .arg(Name(w))
                .arg(fm.horizontalAdvance(text))
                .arg(room.width());
        if (fm.height() > room.height() + 3)
            return QStringLiteral("%1: text %2 px high, has %3")
                .arg(Name(w))
                .arg(fm.height())
                .arg(room.height());
        return {};
    }
    if (qobject_cast<QRadioButton*>(w) != nullptr || qobject_cast<QCheckBox*>(w) != nullptr) {
        if (w->sizeHint().width() > w->width())
            return QStringLiteral("%1: needs %2 px, has %3")
                .arg(Name(w))
                .arg(w->sizeHint().width())
                .arg(w->width());
        return {};
    }
    if (qobject_cast<QPushButton*>(w) != nullptr) {
        const int needed = fm.horizontalAdvance(text) + 4;
        if (needed > w->width())
            return QStringLiteral("%1: needs %2 px, has %3")
                .arg(Name(w))
                .arg(needed)
                .arg(w->width());
    }
    return {};
}

}  // namespace

QStringList LayoutProblems(QWidget* root) {
    QList<QWidget*> leaves;
    CollectLeaves(root, leaves);
    QStringList problems;
    for (QWidget* w : leaves) {
        const QString caption = CaptionProblem(w);
        if (!caption.isEmpty())
            problems.append(caption);
        QWidget* parent = w->parentWidget();
        if (!parent->rect().contains(w->geometry()))
            problems.append(
                QStringLiteral("%1: outside its container %2").arg(Name(w), Name(parent)));
    }
    for (int i = 0; i < leaves.size(); ++i) {
        const QRect a(leaves[i]->mapTo(root, QPoint()), leaves[i]->size());
        for (int j = i + 1; j < leaves.size(); ++j) {
            const QRect b(leaves[j]->mapTo(root, QPoint()), leaves[j]->size());
            if (a.intersects(b))
                problems.append(
                    QStringLiteral("%1 overlaps %2").arg(Name(leaves[i]), Name(leaves[j])));
        }
    }
    return problems;
}

}  // namespace tagwright::test
