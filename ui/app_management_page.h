#pragma once

#include <map>
#include <optional>

#include "ui/page.h"

namespace qvpc::ui {

// Page 9's frame: the header, the title, the small "返回" and the places of
// the left list, the catalog tile grid with its pager and the installed-app
// list. The list widgets themselves fill these places when they arrive; until
// then the page keeps the few values the core reads and writes through the
// screen.
class AppManagementPage : public Page {
    Q_OBJECT

  public:
    explicit AppManagementPage(QWidget* parent);

    // The grid and the pager, or the installed-app list in their place.
    void showCatalogView();
    void showInstalledView();
    bool isCatalogView() const;

    QWidget& leftList() { return *m_leftList; }
    QWidget& tileGrid() { return *m_tileGrid; }
    QWidget& pager() { return *m_pager; }
    QWidget& installedList() { return *m_installedList; }

    void setCatalogTileState(int position, const QString& state);
    QString catalogTileState(int position) const;
    std::optional<int> selectedAppRow() const { return m_selectedRow; }
    void setAppRowState(int row, int state);
    int upgradeCount() const { return m_upgradeCount; }
    void setUpgradeCount(int count);

  private:
    QWidget* m_leftList;
    QWidget* m_tileGrid;
    QWidget* m_pager;
    QWidget* m_installedList;
    std::map<int, QString> m_tileStates;
    std::map<int, int> m_rowStates;
    std::optional<int> m_selectedRow;
    int m_upgradeCount = 0;
};

}  // namespace qvpc::ui
