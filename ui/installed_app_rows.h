#pragma once

#include <QPixmap>
#include <QString>
#include <vector>

#include "base/app_management_views.h"
#include "ui/toolkit/owner_drawn_list.h"

namespace qvpc::ui {

// The scrolling rows of the installed-app list, 100 pixels each, indexed from
// 0 (the list above numbers them from 1). A row shows its icon, name, version
// and size under the list's columns, then its action button or, once done,
// the check mark and action + "完成!". The button answers the pointer only on
// a row that is not done.
class InstalledAppRows : public OwnerDrawnList {
    Q_OBJECT

  public:
    static constexpr int kRowHeight = 100;
    static constexpr int kIconSize = 75;
    // Where each column starts, in the row's coordinates; the header's
    // captions stand over them.
    static constexpr int kNameLeft = 140;
    static constexpr int kVersionLeft = 326;
    static constexpr int kSizeLeft = 460;
    static constexpr int kListWidth = 716;
    static constexpr int kActionWidth = 130;  // the action column ends the row
    static constexpr int kActionLeft = kListWidth - kActionWidth;

    explicit InstalledAppRows(QWidget* parent = nullptr);

    void clear();
    void add(const InstalledAppRow& row);
    int count() const { return static_cast<int>(m_entries.size()); }
    const InstalledAppRow* row(int index) const;
    void setState(int index, AppRowState state);

    // The action column of every row and the button in it, in the row's
    // coordinates.
    static QRect actionColumn();
    static QRect buttonRect();

    QRect itemRect(int index) const override;

  protected:
    int itemCount() const override { return count(); }
    int contentHeight() const override { return count() * kRowHeight; }
    void paintItem(QPainter& painter, int index, const QRect& rect, ItemState state) override;

    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    struct Entry {
        InstalledAppRow row;
        QPixmap icon;  // null: no icon
        // The texts as drawn: on one line, shortened to their columns.
        QString name;
        QString version;
        QString size;
    };

    // The row whose live button lies under a point in widget coordinates, or -1.
    int buttonAt(const QPointF& widgetPoint) const;
    void setHotButton(int index);
    void paintAction(QPainter& painter, const Entry& entry, const QRect& rect, bool hot,
                     bool pressed);

    std::vector<Entry> m_entries;
    int m_hotButton = -1;
    int m_pressedButton = -1;
};

}  // namespace qvpc::ui
