#pragma once

#include <string>

#include "base/dialogs.h"

namespace qvpc {

// The two shapes of message box the core asks for: a notice with one button
// ("确认") and a question with two ("确认", "取消"; 0 confirms).
inline MsgBoxRequest Notice(std::string title, std::string message) {
    MsgBoxRequest request;
    request.title = std::move(title);
    request.message = std::move(message);
    return request;
}

inline MsgBoxRequest Question(std::string title, std::string message) {
    MsgBoxRequest request = Notice(std::move(title), std::move(message));
    request.buttonCount = 2;
    return request;
}

// The toolkit's system-style box with the information icon and one button.
inline SystemMsgBoxRequest SystemNotice(std::string message) {
    SystemMsgBoxRequest request;
    request.message = std::move(message);
    return request;
}

}  // namespace qvpc
