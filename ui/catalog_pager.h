#pragma once

#include <QWidget>

namespace qvpc::ui {

// Page 9's pager "页码框": "上一页" and "下一页" at its ends and between them
// at most five page buttons of the one run 1 … pageCount, the window of five
// following the selected page. A click moves the selection ("上一页" not
// below the first page, "下一页" not past the last) and reports the page
// then selected, even when it stayed the same.
class CatalogPager : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kMaxButtons = 5;
    static constexpr int kButtonWidth = 25;
    static constexpr int kMoveWidth = 50;
    static constexpr int kSpacing = 4;

    explicit CatalogPager(QWidget* parent = nullptr);

    // The run 1 … pageCount with page selected; 0 pages shows none.
    void setPages(int pageCount, int selected);
    int pageCount() const { return m_pageCount; }
    int selectedPage() const { return m_selected; }
    // The pages the buttons show, first and last; first > last when none.
    int firstShown() const { return m_first; }
    int lastShown() const;

    // In the pager's coordinates: "上一页", "下一页" and the i-th page
    // button (0-based among those shown).
    QRect previousRect() const;
    QRect nextRect() const;
    QRect pageButtonRect(int index) const;

  signals:
    void pageChosen(int page);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // What lies under a point: -1 "上一页", -2 "下一页", a page number, or 0.
    int targetAt(const QPoint& point) const;
    void choose(int page);

    int m_pageCount = 0;
    int m_selected = 0;
    int m_first = 1;
    int m_hot = 0;
};

}  // namespace qvpc::ui
