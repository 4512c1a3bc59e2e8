// lurendo-draw-resources OUTDIR: draws the window's instruction picture and the program icon.
// The results are kept in the repository; run this only to change them (QT_QPA_PLATFORM=offscreen works).
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

#include "ico_writer.h"

namespace {

const QColor kRed(210, 20, 20);

QFont pixel_font(int pixels, bool bold) {
    QFont font;
    font.setFamilies({"Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void draw_button(QPainter& p, const QRect& r, const QString& caption) {
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    face.setColorAt(0, QColor(250, 250, 250));
    face.setColorAt(1, QColor(214, 214, 214));
    p.setPen(QColor(120, 120, 120));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(Qt::black);
    p.setFont(pixel_font(12, false));
    p.drawText(r, Qt::AlignCenter, caption);
}

// A thick red arrow from `from` whose head touches `to`.
void draw_arrow(QPainter& p, QPointF from, QPointF to) {
    const QLineF shaft(from, to);
    const double angle = std::atan2(-shaft.dy(), shaft.dx());
    const double head = 11;
    const QPointF left = to - QPointF(std::cos(angle + 0.45) * head, -std::sin(angle + 0.45) * head);
    const QPointF right = to - QPointF(std::cos(angle - 0.45) * head, -std::sin(angle - 0.45) * head);
    p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, (left + right) / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawPolygon(QPolygonF({to, left, right}));
}

// A plain upload form: a file field with its choose button, a send button, and what to do in red.
QImage instruction_picture() {
    QImage image(337, 157, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(kRed);
    p.setFont(pixel_font(14, true));
    p.drawText(QRect(0, 3, 337, 18), Qt::AlignCenter, "Seleziona il file out.gpx da inviare");

    const QRect panel(8, 26, 320, 124);
    p.setPen(QColor(190, 190, 190));
    p.setBrush(QColor(244, 244, 240));
    p.drawRect(panel);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 90, 140));
    p.drawRect(QRect(9, 27, 319, 20));
    p.setPen(Qt::white);
    p.setFont(pixel_font(12, true));
    p.drawText(QRect(16, 27, 300, 20), Qt::AlignVCenter | Qt::AlignLeft, "Carica un file GPS");

    p.setPen(Qt::black);
    p.setFont(pixel_font(12, false));
    p.drawText(QRect(16, 60, 40, 22), Qt::AlignVCenter | Qt::AlignLeft, "File:");
    p.setPen(QColor(130, 130, 130));
    p.setBrush(Qt::white);
    p.drawRect(QRect(48, 60, 140, 22));
    p.setPen(QColor(150, 150, 150));
    p.drawText(QRect(54, 60, 130, 22), Qt::AlignVCenter | Qt::AlignLeft, "nessun file scelto");
    draw_button(p, QRect(194, 59, 76, 24), "Scegli file");

    p.setPen(Qt::black);
    p.drawText(QRect(16, 92, 300, 18), Qt::AlignVCenter | Qt::AlignLeft, "Formato: GPX");
    draw_button(p, QRect(48, 116, 70, 26), "Invia");

    draw_arrow(p, QPointF(318, 100), QPointF(272, 73));
    draw_arrow(p, QPointF(196, 129), QPointF(121, 129));
    return image;
}

// A white sail with a red jib over a blue wave, on a pale sky.
QImage icon() {
    QImage image(32, 32, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 32);
    sky.setColorAt(0, QColor(150, 205, 245));
    sky.setColorAt(1, QColor(225, 242, 255));
    p.fillRect(image.rect(), sky);

    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(15, 2), QPointF(15, 22), QPointF(4, 22)}));
    p.setBrush(QColor(220, 40, 30));
    p.drawPolygon(QPolygonF({QPointF(17, 6), QPointF(17, 22), QPointF(27, 22)}));
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    p.drawLine(QPointF(16, 1), QPointF(16, 24));

    QPainterPath wave;
    wave.moveTo(0, 32);
    wave.lineTo(0, 24);
    for (int x = 0; x <= 32; ++x)
        wave.lineTo(x, 24 + 2.2 * std::sin(x * 0.45));
    wave.lineTo(32, 32);
    wave.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 90, 170));
    p.drawPath(wave);
    p.setPen(QPen(QColor(230, 245, 255), 1));
    for (int x = 2; x < 32; x += 9)
        p.drawLine(QPointF(x, 28), QPointF(x + 4, 27));
    return image;
}

bool write_jpeg(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(92);
    writer.setProgressiveScanWrite(false);  // baseline: every JPEG reader shows it
    writer.setOptimizedWrite(false);
    return writer.write(image);
}

bool write_bytes(const QByteArray& bytes, const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: lurendo-draw-resources CARTELLA\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QImage sail = icon();
    const bool ok = write_jpeg(instruction_picture(), dir.filePath("istruzioni.jpg")) &&
                    sail.save(dir.filePath("lurendo.png"), "png") &&
                    write_bytes(lurendo::ico_24bit(sail), dir.filePath("lurendo.ico"));
    if (!ok) {
        std::fprintf(stderr, "impossibile scrivere le immagini in %s\n", argv[1]);
        return 1;
    }
    return 0;
}
