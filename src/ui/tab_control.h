#pragma once

#include <QWidget>

class QTabBar;

namespace tagwright {

/// `SSTab1`: a tab control whose pages cover the whole control, tab band included, so that
/// controls are placed in the control's own coordinates (the title labels stand in the band
/// beside the tab headers).
class TabControl final : public QWidget {
    Q_OBJECT

  public:
    explicit TabControl(QWidget* parent);

    /// Adds an empty page captioned `caption` and returns it for the caller to fill.
    QWidget* AddPage(const QString& caption);
    QWidget* page(int index) const { return m_pages.value(index); }
    int count() const { return static_cast<int>(m_pages.size()); }
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar* tabBar() const { return m_bar; }
    /// Height of the band of tab headers, in pixels.
    int BandHeight() const;

  signals:
    void currentChanged(int index);
    /// The mouse was pressed on the control itself: a tab header or the free area of a page.
    void pressed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowPage(int index);

    QTabBar* m_bar = nullptr;
    QList<QWidget*> m_pages;
};

}  // namespace tagwright
