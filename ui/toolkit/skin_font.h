#pragma once

#include <QFont>

namespace qvpc::ui {

// The program's one font family. It is kept as its name and mapped by a font
// substitution to Noto Sans CJK SC (Debian fonts-noto-cjk), or to WenQuanYi
// Micro Hei (fonts-wqy-microhei) where Noto is missing.
inline constexpr const char* kSkinFamily = "微软雅黑";

// The skin's font of the given size. The layout was made for a toolkit whose
// font sizes are pixels of the em square (a size-18 Chinese character is 18
// pixels wide, which is what the box-name width rule 9 × bytes + 16 counts
// on), so sizes become pixel sizes and do not change with the screen's DPI.
QFont SkinFont(int size, bool bold = false);

// The distance between wrapped lines of a size: 1.32 em, the line of 微软雅黑
// the layout's boxes were made for. Noto Sans CJK's own line is 1.45 em, and
// a box that holds three lines of the one would cut the third of the other.
int SkinLinePitch(int size);

// Installs the substitution and makes "微软雅黑" 12 the application's default
// font. Call once, after the QApplication exists and before any window.
void InstallFonts();

}  // namespace qvpc::ui
