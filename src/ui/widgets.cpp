#include "ui/widgets.h"

#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QSvgRenderer>

#include "ui/qt_text.h"

namespace tagwright {

void SetTwipsGeometry(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
}

QString ArrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption, int left,
                  int top, int width, int height) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    SetTwipsGeometry(label, left, top, width, height);
    return label;
}

QLabel* MakeTitleLabel(QWidget* page, const char* name, const QString& caption,
                       const QColor& textColour) {
    // White and the highlight-text colour are made to be read on the highlight colour, not
    // on the grey of the tab band.
    auto* label = new QLabel(caption, page);
    label->setObjectName(QLatin1String(name));
    label->setAutoFillBackground(true);
    label->setContentsMargins(4, 0, 4, 0);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
    palette.setColor(QPalette::WindowText, textColour);
    label->setPalette(palette);
    label->setGeometry(TwipsToPixels(2640), TwipsToPixels(60), label->sizeHint().width(),
                       TwipsToPixels(270));
    return label;
}

QFont JapaneseFont(double points) {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const QString& wanted :
             {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")}) {
            if (families.contains(wanted))
                return wanted;
        }
        return QString();
    }();
    QFont font;
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPointSizeF(points);
    return font;
}

QPixmap IconPixmap(const QString& name, int size) {
    // Drawn through QSvgRenderer rather than an image plugin, so a deployment without the
    // plugins still shows its pictures.
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 256})
        icon.addPixmap(IconPixmap(QStringLiteral("tagwright"), size));
    return icon;
}

CaptionFrame::CaptionFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

void CaptionFrame::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    // Styles differ in which of the two they draw the caption with; the children keep the
    // frame's own palette.
    const QColor highlight = palette().color(QPalette::Highlight);
    option.textColor = highlight;
    option.palette.setColor(QPalette::WindowText, highlight);
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

PictureButton::PictureButton(const QString& caption, const QString& iconName, QWidget* parent)
    : QPushButton(caption, parent), m_iconName(iconName) {
    // A size smaller than the window's, so "ReName" fits the 49-pixel button.
    QFont captionFont = font();
    captionFont.setPointSizeF(8);
    setFont(captionFont);
    setIcon(QIcon(IconPixmap(iconName, 32)));
    setIconSize(QSize(32, 32));
}

void PictureButton::paintEvent(QPaintEvent*) {
    // The strip's buttons are only 53 pixels high: the picture and the caption are stacked by
    // hand, tighter than the style's text-under-icon layout.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect area = rect().adjusted(2, 2, -2, -2);
    const int textHeight = fontMetrics().height();
    const int iconTop = area.top() + std::max(0, (area.height() - textHeight - 32) / 2);
    const QPixmap picture =
        icon().pixmap(QSize(32, 32), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    painter.drawPixmap(area.left() + (area.width() - 32) / 2, iconTop, picture);
    const QRect textRect(area.left(), iconTop + 32, area.width(), textHeight);
    painter.drawItemText(textRect, Qt::AlignHCenter | Qt::AlignTop, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}

QValidator::State CodePointLimit::validate(QString& input, int& pos) const {
    const auto codePoints = [](const QString& text) {
        int count = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
                ++count;
        }
        return count;
    };
    while (codePoints(input) > m_limit) {
        // The last code point before the caret, or the text's last when the caret is at 0.
        int end = pos > 0 ? pos : static_cast<int>(input.size());
        int start = end - 1;
        if (start > 0 && input[start].isLowSurrogate() && input[start - 1].isHighSurrogate())
            --start;
        input.remove(start, end - start);
        if (pos > 0)
            pos = start;
    }
    return Acceptable;
}

}  // namespace tagwright
