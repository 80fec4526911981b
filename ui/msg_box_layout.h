#pragma once

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <vector>

#include "base/screen.h"

namespace qvpc::ui {

// Where everything of a message box goes, worked out from the request alone.
struct MsgBoxLayout {
    QSize size;
    QRect title;
    QRect message;
    bool singleLine = true;  // GBK length below 35 bytes: one line, centred
    std::vector<QRect> buttons;
    QStringList buttonTexts;
};

MsgBoxLayout LayOutMsgBox(const MsgBoxRequest& request);

// The box's place on the screen: centred over the owner's window rectangle
// and then moved by the owner's 13-pixel shadow margin; pulled back inside
// when it would start within 50 pixels of the screen's right or bottom edge.
QPoint MsgBoxPosition(const QRect& owner, const QSize& box, const QRect& screen);

}  // namespace qvpc::ui
