#pragma once

#include "ui/page.h"

namespace qvpc::ui {

class LineEdit;

// Page 7: connect to a typed IP address.
class ManualIpPage : public Page {
    Q_OBJECT

  public:
    explicit ManualIpPage(QWidget* parent);

    QString address() const;
    void setAddress(const QString& text);
    LineEdit& addressField() { return *m_address; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    LineEdit* m_address;
};

}  // namespace qvpc::ui
