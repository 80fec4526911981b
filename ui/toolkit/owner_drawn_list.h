#pragma once

#include <QWidget>

class QScrollBar;

namespace qvpc::ui {

// The base of the owner-drawn lists: a subclass lays out and paints its items
// (rows or tiles); the base tracks the hot and pressed items, scrolls
// vertically (wheel and a slim bar that shows only when needed) and reports a
// click on an item with the item and the click point. Item rectangles and
// click points are in content coordinates (the list's own, scroll undone).
class OwnerDrawnList : public QWidget {
    Q_OBJECT

  public:
    struct ItemState {
        bool hot = false;
        bool pressed = false;
    };

    explicit OwnerDrawnList(QWidget* parent = nullptr);

    int scrollOffset() const;
    void setScrollOffset(int offset);
    int hotItem() const { return m_hot; }
    int pressedItem() const { return m_pressed; }

    // The item under a point in content coordinates, or -1.
    int itemAt(const QPoint& contentPoint) const;

    // Call after the items changed: the scroll range follows, the list repaints.
    void refresh();

  signals:
    void itemClicked(int index, const QPoint& contentPoint);

  protected:
    virtual int itemCount() const = 0;
    virtual QRect itemRect(int index) const = 0;
    virtual int contentHeight() const = 0;
    virtual void paintItem(QPainter& painter, int index, const QRect& rect, ItemState state) = 0;
    virtual void paintBackground(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QPoint toContent(const QPointF& widgetPoint) const;
    void setHot(int index);
    void placeScrollBar();

    QScrollBar* m_scrollBar;
    int m_hot = -1;
    int m_pressed = -1;
};

}  // namespace qvpc::ui
