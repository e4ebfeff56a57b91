#pragma once
// The programs' own pictures, icons and pointers, drawn for this project.

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace zarvo::Artwork {

QIcon appIcon();
/// The programs' icon drawn at `size` x `size` pixels (the menu entries' icons come from it).
QPixmap appIconPixmap(int size);
/// 1024 x 768 background of the console's client area.
QPixmap consoleBackground();
/// 128 x 128 decorative picture of the clock and terminal windows.
QPixmap clockPicture();
/// The product's logo (About window).
QPixmap logo();
/// Toolbar and button images by name ("login", "employee", "timesheets", "clock", "lock",
/// "help", "close", "connect", "upload", "delete", "changed": a row changed by hand).
QIcon icon(const QString &name);
/// The windows' own mouse pointer.
QCursor pointer();

} // namespace zarvo::Artwork
