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

// The typed-address check: split at "." (an empty part after a final "."
// does not count); more than three parts, the first four non-empty. Nothing
// more: "192.168.0." is refused and "192.168.0.5.7" passes as typed.
bool IsTypedAddressAcceptable(const QString& text);

}  // namespace qvpc::ui
