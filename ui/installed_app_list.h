#pragma once

#include <QWidget>
#include <optional>

#include "base/app_management_views.h"

namespace qvpc::ui {

class InstalledAppRows;

// Page 9's installed-app list "自定义列表框": a white panel with the header
// "应用名", "版本号", "大小", "操作" over its rows, which scroll under it.
// Rows are numbered from 1. A click on a row reports the row and the point
// in the row's own coordinates and makes that row the selected one; what the
// click does is the core's to decide.
class InstalledAppList : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kHeaderHeight = 46;

    explicit InstalledAppList(QWidget* parent = nullptr);

    void clear();
    void add(const InstalledAppRow& row);
    int count() const;
    std::optional<InstalledAppRow> row(int position) const;
    // The row's action button in the row's coordinates; empty for no row.
    RowRect buttonRect(int position) const;
    std::optional<int> selectedRow() const { return m_selected; }
    void setState(int position, AppRowState state);

    InstalledAppRows& rows() { return *m_rows; }

  signals:
    void rowClicked(int position, QPoint rowPoint);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    InstalledAppRows* m_rows;
    std::optional<int> m_selected;
};

}  // namespace qvpc::ui
