#include "ui/tab_control.h"

#include <QEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace tagwright {

namespace {

// Headers just wide enough for their captions: the band beside them holds each page's title
// label, from 176 pixels on.
class CompactTabBar final : public QTabBar {
  public:
    using QTabBar::QTabBar;

  protected:
    QSize tabSizeHint(int index) const override {
        return QSize(fontMetrics().horizontalAdvance(tabText(index)) + 14, kBandHeight);
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

    // The style pads a tab's caption more than these headers have room for; the shape comes
    // from the style and the caption is centred by hand.
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        for (int i = 0; i < count(); ++i) {
            if (i == currentIndex())
                continue;
            PaintTab(painter, i);
        }
        if (currentIndex() >= 0)
            PaintTab(painter, currentIndex());
    }

  private:
    void PaintTab(QStylePainter& painter, int index) {
        QStyleOptionTab option;
        initStyleOption(&option, index);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        QRect text = option.rect;
        if (index != currentIndex())
            text.translate(0, 1);
        painter.drawItemText(text, Qt::AlignCenter, option.palette, isTabEnabled(index),
                             tabText(index), QPalette::WindowText);
    }

    static constexpr int kBandHeight = 23;
};

}  // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent) {
    m_bar = new CompactTabBar(this);
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->installEventFilter(this);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        ShowPage(index);
        emit currentChanged(index);
    });
}

QWidget* TabControl::AddPage(const QString& caption) {
    auto* page = new QWidget(this);
    page->setGeometry(rect());
    page->installEventFilter(this);
    m_pages.append(page);
    m_bar->addTab(caption);
    m_bar->resize(m_bar->sizeHint());
    // The header band stays visible and clickable above every page.
    m_bar->raise();
    ShowPage(m_bar->currentIndex());
    return page;
}

int TabControl::currentIndex() const {
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index) {
    m_bar->setCurrentIndex(index);
}

int TabControl::BandHeight() const {
    return m_bar->sizeHint().height();
}

void TabControl::ShowPage(int index) {
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
}

void TabControl::resizeEvent(QResizeEvent*) {
    for (QWidget* page : m_pages)
        page->setGeometry(rect());
    m_bar->resize(m_bar->sizeHint());
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, BandHeight() - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_bar->size();
    frame.tabBarRect = m_bar->geometry();
    frame.selectedTabRect = m_bar->tabRect(m_bar->currentIndex());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

bool TabControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        // Presses that a page's controls ignored travel up to the page; only those on the
        // page's own free area count as a press on the tab control.
        auto* widget = static_cast<QWidget*>(watched);
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (watched == m_bar || (m_pages.contains(widget) && widget->childAt(at) == nullptr))
            emit pressed();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tagwright
