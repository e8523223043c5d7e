#pragma once

#include <QGroupBox>
#include <QPushButton>
#include <QString>
#include <QValidator>

class QColor;
class QFont;
class QLabel;
class QIcon;
class QPixmap;
class QWidget;

namespace tagwright {

/// Places a control by its designed rectangle in twips (15 twips = 1 pixel at 96 dpi).
void SetTwipsGeometry(QWidget* widget, int left, int top, int width, int height);

/// "ＭＳ Ｐゴシック" where the system has it, else a Japanese font it has, at `points`.
QFont JapaneseFont(double points);

/// "<name>_<index>", the object name of element `index` of a control array.
QString ArrayName(const char* name, int index);
/// Sets the colour a label's, option's or check box's text is drawn in.
void SetTextColour(QWidget* widget, const QColor& colour);

/// A label placed in twips.
QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption, int left,
                  int top, int width, int height);
/// A title label in the tab band, its text drawn in `textColour` on the highlight colour.
QLabel* MakeTitleLabel(QWidget* page, const char* name, const QString& caption,
                       const QColor& textColour);

/// One of our own pictures (":/icons/<name>.svg") drawn at `size` × `size` pixels.
QPixmap IconPixmap(const QString& name, int size);
/// The program's icon, drawn at the sizes window systems ask for.
QIcon AppIcon();

/// A frame whose caption is drawn in the system highlight colour, as the settings frames are.
class CaptionFrame final : public QGroupBox {
    Q_OBJECT

  public:
    CaptionFrame(const QString& caption, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A push button with a 32 × 32 picture above its caption, sized for the command strip.
class PictureButton final : public QPushButton {
    Q_OBJECT

  public:
    PictureButton(const QString& caption, const QString& iconName, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_iconName;
};

/// Holds a text box to `limit` characters, counted as code points: a character outside the
/// BMP (𠮷) is one, not the two UTF-16 units a box's maximum length would count, and a pair is
/// never cut in half. What does not fit is cut from what was just typed or pasted (the text
/// before the caret), as a maximum length cuts it.
class CodePointLimit final : public QValidator {
    Q_OBJECT

  public:
    CodePointLimit(int limit, QObject* parent) : QValidator(parent), m_limit(limit) {}
    State validate(QString& input, int& pos) const override;

  private:
    int m_limit;
};

}  // namespace tagwright
