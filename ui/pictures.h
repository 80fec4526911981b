#pragma once

#include "ui/toolkit/artwork.h"
#include "ui/toolkit/button_skin.h"

namespace qvpc::ui::pictures {

// The window frame: the soft shadow in the 13-pixel margin and the content
// frame's bands (title 0..42, body 42..568, footer 568..600), with rounded
// corners or, for a window without the shadow, square ones.
Artwork WindowShadow();
Artwork WindowBackground(bool rounded);

// Page pictures.
Artwork StartCircles();          // page 6, grey concentric circles
Artwork NoDevice();              // page 3, captioned 找不到设备
Artwork ConnectFailed();         // page 3, captioned 很抱歉，连接失败
Artwork DropPanel(bool active);  // page 8, the drop area (active while files hover)
Artwork GuideFrame();            // page 5, the guide's white panel
Artwork GuideStep(int step);     // page 5, the screen of step 1..4

// Page 9: a catalog category's label, white on transparent, its glyph
// before its name (category 0..7 in the order of kCatalogCategories), and the
// neutral picture of a tile whose icon is missing.
Artwork CategoryLabel(int category);
Artwork IconPlaceholder();

// Page 9's installed-app list: the check mark before a finished row's
// "完成!", and (with the buttons below) the rows' action button.
Artwork DoneCheck();

// The program's icon: a TV on the brand green.
Artwork AppIcon();

// Dialogs.
// The plain dark slate of message boxes and the popup, rounded or square.
Artwork DialogBackground(bool rounded);
Artwork PopupRing(int percent);  // the popup's ring, its arc 0..100 % of the way round

// Buttons with pictures of their own.
enum class HomeTile { AppManagement, RemoteInstall, Market, Screenshot };
ButtonSkin HomeTileSkin(HomeTile tile);
ButtonSkin GuideArrow(bool pointsLeft);
ButtonSkin PopupClose();
ButtonSkin TitleBarButton(bool close);  // the window's minimise and close buttons
ButtonSkin BackLink();                  // page 9's small "返回"
ButtonSkin ScreenshotClose();           // page 1's close button over the screenshot
ButtonSkin AppRowAction();              // "卸载" or "更新" of a row of page 9's installed list

}  // namespace qvpc::ui::pictures
