#pragma once

#include <QString>
#include <QWidget>
#include <optional>

namespace qvpc::ui {

// Page 9's left list "左侧应用下载列表框": the header "应用下载", the eight
// catalog categories with their label pictures, then the two action entries
// "卸载应用" and "升级应用" with their counts. A click on an entry's row
// chooses it; the chosen entry is drawn on a lighter row.
class CatalogLeftList : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kHeaderHeight = 50;
    static constexpr int kCategoryRowHeight = 38;
    static constexpr int kActionRowHeight = 40;
    static constexpr int kActionsTop = 370;

    enum class Action { Uninstall, Upgrade };

    explicit CatalogLeftList(QWidget* parent = nullptr);

    // The category drawn as selected, 0-based; none when an action entry was
    // chosen. Selecting a category (or none) unselects the action entries.
    void selectCategory(std::optional<int> category);
    std::optional<int> selectedCategory() const { return m_selected; }
    // The action entry whose list is shown, if any.
    std::optional<Action> selectedAction() const { return m_selectedAction; }

    // The count after an action entry: "(" + n + ")"; a negative count shows
    // none.
    void setCount(Action action, int count);
    int count(Action action) const;

    // The rows, in the list's coordinates.
    static QRect categoryRow(int category);
    static QRect actionRow(Action action);

  signals:
    void categoryClicked(int category);
    void actionClicked(Action action);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // The row under a point: 0..7 a category, 8 and 9 the actions, -1 none.
    static int rowAt(const QPoint& point);

    std::optional<int> m_selected;
    std::optional<Action> m_selectedAction;
    int m_hot = -1;
    int m_pressed = -1;
    int m_uninstallCount = -1;
    int m_upgradeCount = -1;
};

}  // namespace qvpc::ui
