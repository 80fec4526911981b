#include "ui/app_management_page.h"

#include <QPainter>
#include <algorithm>

#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

// The left list's place: its dark panel with the "应用下载" header.
class LeftListPlace : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor::fromRgb(skin::kListPanel));
        painter.setFont(SkinFont(16, true));
        painter.setPen(QColor::fromRgb(skin::kListText));
        painter.drawText(QRect(0, 0, width(), 50), Qt::AlignCenter, QString::fromUtf8("应用下载"));
    }
};

QWidget* Place(QWidget* parent, const QRect& geometry) {
    auto* place = new QWidget(parent);
    place->setGeometry(geometry);
    place->setAttribute(Qt::WA_TranslucentBackground);
    return place;
}

}  // namespace

AppManagementPage::AppManagementPage(QWidget* parent) : Page(9, parent) {
    addHeader();
    addButton(PageButton::AppManagementBack, {}, {184, 72, 51, 15}, pictures::BackLink());
    m_leftList = new LeftListPlace(this);
    m_leftList->setGeometry(0, 60, 154, 470);
    m_tileGrid = Place(this, {184, 95, 716, 377});
    m_pager = Place(this, {414, 484, 250, 30});
    m_installedList = Place(this, {182, 104, 716, 404});
    m_installedList->hide();
}

void AppManagementPage::showCatalogView() {
    m_installedList->hide();
    m_tileGrid->show();
    m_pager->show();
}

void AppManagementPage::showInstalledView() {
    m_tileGrid->hide();
    m_pager->hide();
    m_installedList->show();
}

bool AppManagementPage::isCatalogView() const {
    return !m_tileGrid->isHidden();
}

void AppManagementPage::setCatalogTileState(int position, const QString& state) {
    m_tileStates[position] = state;
}

QString AppManagementPage::catalogTileState(int position) const {
    const auto found = m_tileStates.find(position);
    return found == m_tileStates.end() ? QString() : found->second;
}

void AppManagementPage::setAppRowState(int row, int state) {
    m_rowStates[row] = state;
}

void AppManagementPage::setUpgradeCount(int count) {
    m_upgradeCount = std::max(0, count);
}

}  // namespace qvpc::ui
