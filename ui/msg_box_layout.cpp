#include "ui/msg_box_layout.h"

#include <cmath>

#include "base/gbk.h"

namespace qvpc::ui {
namespace {

constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 40;
constexpr int kButtonsFromBottom = 82;
constexpr int kSingleLineLimit = 35;  // GBK bytes
constexpr int kShadowMargin = 13;

QStringList DefaultTexts(int count) {
    const QStringList all = {QString::fromUtf8("确认"), QString::fromUtf8("取消"),
                             QString::fromUtf8("退出")};
    return all.mid(0, count);
}

// Left edges of n buttons. One and two buttons share the width evenly: the
// gap g = (width − 90·n) / (n + 1) before, between and after them. Three
// buttons sit as a group 10 pixels apart in the middle (55, 155, 255 in the
// 400-pixel box): an even share would leave them only 32 pixels from the edges.
std::vector<int> ButtonLefts(int width, int n) {
    std::vector<int> lefts;
    if (n == 3) {
        const int gap = 10;
        const int start = (width - 3 * kButtonWidth - 2 * gap) / 2;
        for (int i = 0; i < 3; ++i) {
            lefts.push_back(start + i * (kButtonWidth + gap));
        }
        return lefts;
    }
    const double g = double(width - kButtonWidth * n) / (n + 1);
    for (int i = 1; i <= n; ++i) {
        lefts.push_back(int(std::lround(g + (kButtonWidth + g) * (i - 1))));
    }
    return lefts;
}

}  // namespace

MsgBoxLayout LayOutMsgBox(const MsgBoxRequest& request) {
    MsgBoxLayout layout;
    const int w = request.width;
    const int h = request.height;
    layout.size = QSize(w, h);
    layout.title = QRect(20, 28, w - 40, 32);
    layout.singleLine = GbkByteLength(request.message) < kSingleLineLimit;
    layout.message = QRect(20, layout.singleLine ? 62 : 70, w - 40, h - 162);

    const int n = request.buttonCount >= 3 ? 3 : request.buttonCount == 2 ? 2 : 1;
    if (request.buttonTexts.empty()) {
        layout.buttonTexts = DefaultTexts(n);
    } else {
        for (int i = 0; i < n; ++i) {
            layout.buttonTexts << (i < int(request.buttonTexts.size())
                                       ? QString::fromStdString(request.buttonTexts[i])
                                       : QString());
        }
    }
    for (int left : ButtonLefts(w, n)) {
        layout.buttons.emplace_back(left, h - kButtonsFromBottom, kButtonWidth, kButtonHeight);
    }
    return layout;
}

QPoint MsgBoxPosition(const QRect& owner, const QSize& box, const QRect& screen) {
    int x = owner.left() + (owner.width() - box.width()) / 2 + kShadowMargin;
    int y = owner.top() + (owner.height() - box.height()) / 2 + kShadowMargin;
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    if (x > screenRight - 50) {
        x = screenRight - box.width();
    }
    if (y > screenBottom - 50) {
        y = screenBottom - box.height();
    }
    return {x, y};
}

}  // namespace qvpc::ui
