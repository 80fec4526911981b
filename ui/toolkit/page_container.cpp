#include "ui/toolkit/page_container.h"

namespace qvpc::ui {

PageContainer::PageContainer(int number, QWidget* parent) : QWidget(parent), m_number(number) {
    setGeometry(kGeometry);
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
}

}  // namespace qvpc::ui
