#pragma once
// A window's menu bar as the platform draws and drives it: the bar and its menus in one menu
// font, a bar 19 pixels high with nothing under its items, and the keyboard's way in (F10 or
// a lone Alt) to its first item, from where the arrows, Enter and Escape work as in any menu.

class QMenu;
class QMenuBar;
class QWidget;

namespace platform::forms {

// The bar at the top of `window`, ready for its menus.
QMenuBar* make_menu_bar(QWidget* window);
// A menu of the bar (or of one of its menus) in the bar's font.
void use_menu_font(QMenu& menu, const QMenuBar& bar);

} // namespace platform::forms
