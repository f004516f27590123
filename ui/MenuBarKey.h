#pragma once

class QMainWindow;

// F10 takes the keyboard to the window's menu bar (its first menu opens), as on
// other desktops; Qt binds no such key outside Windows.
void bindMenuBarKey(QMainWindow* window);
