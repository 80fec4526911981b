#include "ui/toolkit/context_menu.h"

#include <QAction>
#include <QWidget>

#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {

ContextMenu::ContextMenu(QWidget* target) : QObject(target), m_menu(target) {
    m_menu.setFont(SkinFont(14));
    m_menu.setStyleSheet(QStringLiteral("QMenu { background: white; border: 1px solid %1;"
                                        " padding: 4px 0; }"
                                        "QMenu::item { padding: 7px 34px 7px 22px; color: %2; }"
                                        "QMenu::item:selected { background: %3; color: white; }")
                             .arg(QColor::fromRgb(skin::kHairline).name(),
                                  QColor::fromRgb(skin::kTextStrong).name(),
                                  QColor::fromRgb(skin::kAccent).name()));
    target->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(target, &QWidget::customContextMenuRequested, this,
            [this, target](const QPoint& pos) { m_menu.popup(target->mapToGlobal(pos)); });
}

void ContextMenu::addItem(const QString& text, std::function<void()> action) {
    QAction* item = m_menu.addAction(text);
    connect(item, &QAction::triggered, this, [action = std::move(action)] { action(); });
}

bool ContextMenu::trigger(const QString& text) {
    for (QAction* item : m_menu.actions()) {
        if (item->text() == text) {
            item->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace qvpc::ui
