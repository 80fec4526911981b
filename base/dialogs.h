#pragma once

#include <string>
#include <vector>

namespace qvpc {

// A question or notice for the program's modal message box. An empty
// buttonTexts list means the default texts for the button count.
struct MsgBoxRequest {
    std::string message;
    int buttonCount = 1;
    std::string title;
    std::vector<std::string> buttonTexts;
    int width = 400;
    int height = 240;
    bool dimMainWindow = true;
};

// The toolkit's system-style box: kind chooses the buttons and their codes.
struct SystemMsgBoxRequest {
    std::string message;
    std::string title;  // empty shows the default title "提示："
    int kind = 0;
};

// Modal boxes, file dialogs and the desktop.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // The result is the 0-based button index, -1 when closed otherwise.
    virtual int MsgBox(const MsgBoxRequest& request) = 0;
    virtual int SystemMsgBox(const SystemMsgBoxRequest& request) = 0;

    // An empty result means the user cancelled.
    virtual std::string chooseFileToInstall(const std::string& title,
                                            const std::string& startDir) = 0;
    virtual std::string chooseSaveFile(const std::string& title, const std::string& startDir,
                                       const std::string& filter, int filterIndex) = 0;
    virtual void openUrl(const std::string& url) = 0;
    virtual void revealFile(const std::string& path) = 0;
};

}  // namespace qvpc
