#pragma once

#include <QSize>
#include <string>

class QWidget;

namespace orvane {

// Where a view window of the player stands, kept in a settings section of its own:
//
//   [Map Window]
//   Left=…  Top=…  Width=…  Height=…
//
// Restored beside the player when the section gives no place, and always moved onto the
// screen where its title bar would be (else the player's), as far in as it fits.
class WindowPlace {
public:
    static void Save(const QWidget& window, const std::string& section);
    // Sizes `window` from the section (`size` when it gives none; never under `least` or
    // the window's own minimum size hint) and places it: at the section's place, else to
    // the right of `beside`.
    static void Restore(QWidget& window, const std::string& section, const QWidget& beside,
                        QSize size, QSize least);

    // Between the player and a window placed beside it.
    static constexpr int Gap = 10;
};

}  // namespace orvane
