// lurendo-draw-resources OUTDIR: draws the window's instruction picture and the program icon, also in the
// sizes the web page's manifest names.
// The results are kept in the repository; run this only to change them (QT_QPA_PLATFORM=offscreen works).
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <vector>

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

// The icon, in a 32 × 32 design: a white sail with a red jib over a blue wave, on a pale sky. The same
// shapes make the bitmaps of every size and the scalable drawing.
const QPolygonF kSail({QPointF(15, 2), QPointF(15, 22), QPointF(4, 22)});
const QPolygonF kJib({QPointF(17, 6), QPointF(17, 22), QPointF(27, 22)});
const QLineF kMast(16, 1, 16, 24);
const QColor kSkyTop(150, 205, 245), kSkyBottom(225, 242, 255), kOutline(40, 40, 40), kJibRed(220, 40, 30),
    kMastBrown(90, 60, 30), kSea(20, 90, 170), kSpray(230, 245, 255);

QPolygonF wave() {
    QPolygonF points({QPointF(0, 32), QPointF(0, 24)});
    for (int x = 0; x <= 32; ++x)
        points << QPointF(x, 24 + 2.2 * std::sin(x * 0.45));
    points << QPointF(32, 32);
    return points;
}

std::vector<QLineF> spray() {
    std::vector<QLineF> lines;
    for (int x = 2; x < 32; x += 9)
        lines.emplace_back(x, 28, x + 4, 27);
    return lines;
}

QImage icon(int size) {
    QImage image(size, size, size == 32 ? QImage::Format_RGB888 : QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QLinearGradient sky(0, 0, 0, 32);
    sky.setColorAt(0, kSkyTop);
    sky.setColorAt(1, kSkyBottom);
    p.fillRect(QRectF(0, 0, 32, 32), sky);

    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(kSail);
    p.setBrush(kJibRed);
    p.drawPolygon(kJib);
    p.setPen(QPen(kMastBrown, 1.5));
    p.drawLine(kMast);

    p.setPen(Qt::NoPen);
    p.setBrush(kSea);
    p.drawPolygon(wave());
    p.setPen(QPen(kSpray, 1));
    for (const QLineF& line : spray())
        p.drawLine(line);
    return image;
}

QString svg_points(const QPolygonF& polygon) {
    QStringList points;
    for (const QPointF& point : polygon)
        points << QString::number(point.x(), 'f', 2) + "," + QString::number(point.y(), 'f', 2);
    return points.join(' ');
}

QString svg_line(const QLineF& line, const QColor& colour, double width) {
    return QString("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>")
               .arg(line.x1())
               .arg(line.y1())
               .arg(line.x2())
               .arg(line.y2())
               .arg(colour.name())
               .arg(width) +
           "\n";
}

// The same icon as a scalable drawing, written as SVG text.
QByteArray icon_svg() {
    QString svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"cielo\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n";
    svg += QString(
               "      <stop offset=\"0\" stop-color=\"%1\"/>\n"
               "      <stop offset=\"1\" stop-color=\"%2\"/>\n"
               "    </linearGradient>\n"
               "  </defs>\n"
               "  <rect width=\"32\" height=\"32\" fill=\"url(#cielo)\"/>\n")
               .arg(kSkyTop.name(), kSkyBottom.name());
    svg += QString(
               "  <polygon points=\"%1\" fill=\"#ffffff\" stroke=\"%2\" stroke-width=\"1\"/>\n"
               "  <polygon points=\"%3\" fill=\"%4\" stroke=\"%2\" stroke-width=\"1\"/>\n")
               .arg(svg_points(kSail), kOutline.name(), svg_points(kJib), kJibRed.name());
    svg += svg_line(kMast, kMastBrown, 1.5);
    svg += QString("  <polygon points=\"%1\" fill=\"%2\"/>\n").arg(svg_points(wave()), kSea.name());
    for (const QLineF& line : spray())
        svg += svg_line(line, kSpray, 1);
    svg += "</svg>\n";
    return svg.toUtf8();
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
    QDir().mkpath(dir.filePath("icone"));
    const QImage sail = icon(32);
    bool ok = write_jpeg(instruction_picture(), dir.filePath("istruzioni.jpg")) &&
              sail.save(dir.filePath("lurendo.png"), "png") &&
              write_bytes(lurendo::ico_24bit(sail), dir.filePath("lurendo.ico")) &&
              write_bytes(icon_svg(), dir.filePath("icone/it.lurendo.Lurendo.svg"));
    // The icon theme's sizes, for the desktop entry.
    QDir().mkpath(dir.filePath("icone"));
    for (const int size : {16, 32, 48, 64, 128, 256})
        ok = ok && icon(size).save(dir.filePath(QString("icone/it.lurendo.Lurendo-%1.png").arg(size)), "png");
    // The web page's manifest names these two, for the page installed as an app.
    for (const int size : {192, 512})
        ok = ok && icon(size).save(dir.filePath(QString("icone/lurendo-%1.png").arg(size)), "png");
    if (!ok) {
        std::fprintf(stderr, "impossibile scrivere le immagini in %s\n", argv[1]);
        return 1;
    }
    return 0;
}
