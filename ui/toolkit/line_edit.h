#pragma once

#include <QColor>
#include <QLineEdit>

namespace qvpc::ui {

// The one-line edit field: white, a thin frame that turns green with the
// focus, the skin's font in the given size and colour.
class LineEdit : public QLineEdit {
    Q_OBJECT

  public:
    LineEdit(const QString& text, int fontSize, QColor color, QWidget* parent = nullptr);
};

}  // namespace qvpc::ui
