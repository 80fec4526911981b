#pragma once

#include <QMenu>
#include <QObject>
#include <functional>

namespace qvpc::ui {

// The right-click menu of a control: skinned items, each running its action.
class ContextMenu : public QObject {
    Q_OBJECT

  public:
    // Opens on a right click anywhere on target.
    explicit ContextMenu(QWidget* target);

    void addItem(const QString& text, std::function<void()> action);
    QMenu& menu() { return m_menu; }

    // Runs the item with this text as if it had been chosen; false if none.
    bool trigger(const QString& text);

  private:
    QMenu m_menu;
};

}  // namespace qvpc::ui
