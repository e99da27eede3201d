#pragma once

#include <QIcon>

namespace orvane {

// The player's icon at the sizes of the desktop's icon theme (16 to 256 pixels), drawn
// by the build from the icon's vector original and carried in the program itself.
QIcon PlayerIcon();

}  // namespace orvane
