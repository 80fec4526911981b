#pragma once

#include <string>

namespace qvpc {

// The one progress popup: installing, downloading, or a prompt with OK. A
// request while it is open only switches its mode and texts.
class PopupView {
  public:
    virtual ~PopupView() = default;

    virtual void ShowInstalling(const std::string& message, bool closeVisible) = 0;
    virtual void ShowDownloading(const std::string& targetPath, const std::string& status) = 0;
    virtual void ShowPrompt(const std::string& message) = 0;
    virtual void ClosePopup() = 0;
    virtual void setPercentText(const std::string& text) = 0;
    virtual void setDownloadProgress(int percent) = 0;
};

}  // namespace qvpc
