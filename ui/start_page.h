#pragma once

#include "ui/page.h"

namespace qvpc::ui {

// Page 6, the start page: one big search button on grey circles.
class StartPage : public Page {
    Q_OBJECT

  public:
    explicit StartPage(QWidget* parent);
};

}  // namespace qvpc::ui
