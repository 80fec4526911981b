#pragma once

namespace qvpc::ui {

// Every button whose click goes to the window's dispatcher, OnPageButtonClick.
enum class PageButton {
    StartSearch,        // page 6: "尚未连接电视\r\n   立即查找  "
    Retry,              // page 3: "再试一次"
    EnterIp,            // page 3: "输入IP连接设备"
    Disconnect,         // page 4: "断开连接"
    ScreenshotTile,     // page 4
    MarketTile,         // page 4
    ConnectTypedIp,     // page 7: "连接"
    CancelManualIp,     // page 7: "取消"
    RemoteInstallBack,  // page 8: "返回"
    RemoteInstallTile,  // page 4
    GuidePrevious,      // page 5: left arrow
    GuideNext,          // page 5: right arrow
    GuideNextOrFinish,  // page 5: "下一步" / "设置完成,继续连接"
    Tutorial,           // page 7: "教程中心"
    NotFoundGuide,      // page 3: "阿里云必看"
    ManualIpGuide,      // page 7: "阿里云必看"
    GuideBack,          // page 5: "返回"
    AppManagementTile,  // page 4
    AppManagementBack,  // page 9: "返回"
    PopupClose,         // the progress popup's close button
};

}  // namespace qvpc::ui
