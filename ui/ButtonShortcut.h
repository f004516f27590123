#pragma once

class QAbstractButton;

// Makes the button's shortcut act at once. A button's own shortcut animates a
// click for 100 ms before the command starts; here the key moves to a
// shortcut that clicks the button straight away. Like the button's own, it
// acts only while the button is visible and enabled in the active window.
void makeShortcutImmediate(QAbstractButton* button);
