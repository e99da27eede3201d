#pragma once

#include <QIcon>

namespace orvane {

// The 16 x 16 icons of the transport buttons: a black symbol on a transparent ground.
enum class TransportIcon { Play, Pause, Stop, Back, Next };
QIcon MakeTransportIcon(TransportIcon which);

}  // namespace orvane
