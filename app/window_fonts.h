// The window's type faces: the classic dialog face where it is installed, else the nearest sans-serif.
#pragma once

#include <QFont>

namespace lurendo {

inline constexpr double kPuntiNormali = 8.25;  // every control without a face of its own
inline constexpr double kPuntiStato = 9.75;    // the status line

QFont carattere_finestra(double punti, bool grassetto = false);

}  // namespace lurendo
