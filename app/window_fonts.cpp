#include "app/window_fonts.h"

#include <QStringList>

namespace lurendo {

QFont carattere_finestra(double punti, bool grassetto) {
    QFont font;
    // Liberation Sans has the metrics of the usual Windows sans-serif, so texts fit their labels.
    font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(punti);
    font.setBold(grassetto);
    font.setUnderline(false);
    return font;
}

}  // namespace lurendo
