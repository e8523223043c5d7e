#pragma once

#include <QDialog>
#include <QRect>

class QPushButton;

namespace tagwright {

class FolderLists;

/// What both folder dialogs share: a fixed, modal frame; the drive and folder lists; and the
/// button array Command1 (0 its own action, 1 Cancel, 2 desktop, 3 documents) served by one
/// handler told the index.
class FolderDialog : public QDialog {
    Q_OBJECT

  public:
    FolderLists& lists() const { return *m_lists; }
    QPushButton* command(int index) const { return m_commands[index]; }

  protected:
    /// Places of Command1(0..3) in twips.
    struct ButtonPlaces {
        QRect action, cancel, desktop, documents;
    };
    FolderDialog(QWidget* parent, const char* name, const QString& caption, QSize clientTwips,
                 const QString& actionCaption, const ButtonPlaces& places);

    /// Command1(0): the dialog's own action, run before it hides.
    virtual void Command1Action() = 0;

    void showEvent(QShowEvent* event) override;

  private:
    void Command1Click(int index);

    FolderLists* m_lists = nullptr;
    QPushButton* m_commands[4] = {};
};

}  // namespace tagwright
