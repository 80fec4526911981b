#pragma once

#include "ui/page.h"

namespace qvpc::ui {

class ImageBox;

// Page 3: no box found, or the connection failed.
class NotFoundPage : public Page {
    Q_OBJECT

  public:
    // The hint of the no-device form; retry rescans while the hint reads this.
    static QString defaultHint();

    explicit NotFoundPage(QWidget* parent);

    // An empty text shows the no-device picture and the default hint; any
    // other text the connection-failed picture with that text as the hint.
    void showOutcome(const QString& failureText);
    QString hint() const;
    bool showsFailure() const { return m_failed; }
    TextLabel& hintLabel() { return *m_hint; }

  private:
    // A hint that fits one line keeps the label's place; a longer one wraps
    // below the buttons.
    void placeHint();

    ImageBox* m_picture;
    TextLabel* m_hint;
    bool m_failed = false;
};

}  // namespace qvpc::ui
