#pragma once

#include <QWidget>

#include "filelist/list_store.h"

class QLabel;
class QTabWidget;
class QTableView;

namespace tagwright {

class ListTableModel;

/// The main window: the file list with its count, on the first of the window's tabs.
class Form1 final : public QWidget {
    Q_OBJECT

  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    ListStore& store() { return m_store; }
    QTableView* table() const { return m_table; }
    QLabel* fileCountLabel() const { return m_fileCountLabel; }

  private:
    void SetUpGrid();

    ListStore m_store;
    ListTableModel* m_model = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_fileCountLabel = nullptr;
};

}  // namespace tagwright
