#pragma once
// The program's icons: its own application icon, drawn here so that it needs
// no image files, and the toolbar's icons from the desktop theme with small
// drawings of our own where the theme has none.

#include <QIcon>

namespace varnelo {

QIcon ApplicationIcon();

enum class ToolbarIcon { New, Open, Save, Cut, Copy, Paste, Print, About };
QIcon ToolbarIconFor(ToolbarIcon kind);

}  // namespace varnelo
