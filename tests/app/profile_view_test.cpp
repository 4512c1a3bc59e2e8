// The speed profile's drawing: labels that neither collide nor cover the plot at any size from the
// window's up, jump marks that show under the axis and never on the curve, a tooltip to the second.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "app/form1.h"
#include "app/speed_profile_view.h"

namespace lurendo {
namespace {

// 40 columns of 10 s from 15:04:00, the mean speed rising evenly to `top` km/h.
ProfiloVelocita rising(double top) {
    ProfiloVelocita profile{10, 15 * 3600 + 4 * 60, {}};
    for (int i = 0; i < 40; ++i) {
        const double v = top * i / 39;
        profile.colonne.push_back({10, v * 0.8, v, v, v > kPlaningSpeed ? 1.0 : 0.0, false});
    }
    return profile;
}

QSize window_size() {
    Form1 form;
    const auto* view = form.findChild<VistaProfilo*>("profilo");
    return view ? view->size() : QSize();
}

TEST(ProfileLabels, NeitherTouchEachOtherNorThePlotFromTheWindowsSizeUp) {
    const QSize window = window_size();
    ASSERT_FALSE(window.isEmpty());
    QWidget parent;
    VistaProfilo view(&parent);
    for (const bool knots : {false, true})
        for (const int width : {window.width(), 2 * window.width()})
            for (int height = window.height(); height <= window.height() + 240; height += 3)
                for (const double top : {8.0, 15.0, 19.9, 20.0, 35.0, 80.0}) {
                    view.resize(width, height);
                    view.usa_nodi(knots);
                    view.mostra(rising(top));
                    SCOPED_TRACE(testing::Message() << width << "×" << height << " px, " << top << " km/h"
                                                    << (knots ? " in knots" : ""));
                    const std::vector<EtichettaProfilo> labels = view.etichette();
                    std::set<QString> texts;
                    for (size_t i = 0; i < labels.size(); ++i) {
                        const QRect r = labels[i].rettangolo;
                        texts.insert(labels[i].testo);
                        ASSERT_FALSE(r.intersects(view.riquadro_grafico())) << labels[i].testo.toStdString();
                        ASSERT_TRUE(view.rect().contains(r)) << labels[i].testo.toStdString();
                        for (size_t j = 0; j < i; ++j)
                            ASSERT_FALSE(r.adjusted(-1, -1, 1, 1).intersects(labels[j].rettangolo))
                                << labels[i].testo.toStdString() << " / " << labels[j].testo.toStdString();
                    }
                    // The planing line at 18 km/h, in knots 18 / 1.852 = 9.72 shown as the table shows knots.
                    for (const char* text :
                         {knots ? "nodi" : "km/h", "0", knots ? "9,7" : "18", "15:04", "15:10"})
                        EXPECT_EQ(texts.count(text), 1u) << text;
                }
}

TEST(ProfileJumpMarks, ShowUnderTheAxisAndCoverNeitherTheCurveNorALabel) {
    QWidget parent;
    VistaProfilo view(&parent);
    view.resize(window_size());
    for (const int jump : {0, 20, 39}) {
        ProfiloVelocita profile = rising(35);
        profile.colonne[jump].salto = true;
        view.mostra(profile);
        QImage image(view.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        view.render(&image);
        QRect red;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
                    red |= QRect(x, y, 1, 1);
            }
        SCOPED_TRACE(testing::Message() << "jump in column " << jump);
        const QRect plot = view.riquadro_grafico();
        EXPECT_GE(red.width(), 5);
        EXPECT_GE(red.height(), 5);
        EXPECT_GT(red.top(), plot.bottom());
        EXPECT_NEAR(red.center().x(), plot.left() + (jump + 0.5) * plot.width() / 40, 4);
        for (const EtichettaProfilo& label : view.etichette())
            EXPECT_FALSE(red.intersects(label.rettangolo)) << label.testo.toStdString();
    }
}

TEST(ProfileTooltip, TellsTheColumnsMiddleToTheSecond) {
    QWidget parent;
    VistaProfilo view(&parent);
    view.resize(window_size());
    ProfiloVelocita profile = rising(35);
    profile.colonne[7].v_media = 24.5;
    profile.colonne[7].quota_planata = 1;
    view.mostra(profile);
    const QRect plot = view.riquadro_grafico();
    const auto x_of = [&](int column) { return plot.left() + (2 * column + 1) * plot.width() / 80; };
    EXPECT_EQ(view.testo_a(x_of(7)).toStdString(), "15:05:15  24,5 km/h  in planata");

    profile.ora_inizio = 23 * 3600 + 59 * 60 + 50;
    view.mostra(profile);
    EXPECT_TRUE(view.testo_a(x_of(0)).startsWith("23:59:55  "));
    EXPECT_TRUE(view.testo_a(x_of(1)).startsWith("00:00:05  ")) << "past midnight";

    view.usa_nodi(true);  // 24.5 / 1.852 = 13.23
    EXPECT_EQ(view.testo_a(x_of(7)).toStdString(), "00:01:05  13,2 nodi  in planata");
}

}  // namespace
}  // namespace lurendo
