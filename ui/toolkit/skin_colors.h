#pragma once

#include <QColor>

namespace qvpc::ui::skin {

// The skin's colour roles. Paint code names a role, never a literal, so the
// look can be tuned in one place. The layout's own "#" colours appear here
// under the role they play.
inline constexpr QRgb kSlate = 0xff414a5f;            // title band, dialogs, emphasised text
inline constexpr QRgb kSlateLight = 0xff5b6579;       // raised parts on slate
inline constexpr QRgb kSlateLighter = 0xff6c778d;     // hover on slate
inline constexpr QRgb kSlateDark = 0xff353c4e;        // pressed on slate, shadows
inline constexpr QRgb kBody = 0xfff3f5f8;             // page background
inline constexpr QRgb kFooter = 0xffe6e9ee;           // footer band
inline constexpr QRgb kHairline = 0xffdde1e7;         // separators and borders
inline constexpr QRgb kPanel = 0xffffffff;            // white panels and tiles
inline constexpr QRgb kHeaderBand = 0xffe7e7e7;       // header of pages 4 and 9
inline constexpr QRgb kHeaderRule = 0xffd9dce1;       // the line under that header
inline constexpr QRgb kListPanel = 0xff414b5f;        // page 9's left list
inline constexpr QRgb kListText = 0xff788298;         // its header and entries
inline constexpr QRgb kListSelected = 0xff5b6579;     // its selected category's row
inline constexpr QRgb kListHover = 0xff4a5569;        // a row under the mouse
inline constexpr QRgb kListPressedText = 0xffa4abbb;  // pressed entries, the counts
inline constexpr QRgb kTileDone = 0xffbababa;         // a catalog tile's "已安装"
inline constexpr QRgb kPagerBorder = 0xffdbdbdb;      // the pager's frames
inline constexpr QRgb kPagerDisabled = 0xffd5d5d5;    // a move or page it cannot make
inline constexpr QRgb kPagerSelected = 0xff01b861;    // the selected page
inline constexpr QRgb kRowRule = 0xffefefef;          // the installed-app list's separators
inline constexpr QRgb kTextBlack = 0xff000000;        // an installed app's name
inline constexpr QRgb kText = 0xff666666;             // ordinary text
inline constexpr QRgb kTextStrong = 0xff333333;       // headings on white
inline constexpr QRgb kTextMuted = 0xff999999;        // hints
inline constexpr QRgb kAccent = 0xff02b665;           // the brand green
inline constexpr QRgb kAccentHover = 0xff17c878;
inline constexpr QRgb kAccentPressed = 0xff019a55;
inline constexpr QRgb kAccentText = 0xff089f5a;  // green link buttons: RGB(8, 159, 90)
inline constexpr QRgb kLink = 0xff0084e0;        // footer links
inline constexpr QRgb kLinkHover = 0xff2a9cf0;
inline constexpr QRgb kOrange = 0xffff6c00;  // the guide's title: RGB(255, 108, 0)
inline constexpr QRgb kWhite = 0xffffffff;
inline constexpr QRgb kInkOnYellow = 0xff5a3b00;  // text on the yellow home tile

}  // namespace qvpc::ui::skin
