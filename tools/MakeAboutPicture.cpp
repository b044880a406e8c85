// Draws the about picture (640 x 480: stars, a ringed planet and the name) and
// writes it as resources/about.jpg. Run once by hand when the picture changes:
//   g++ -std=c++20 -fPIC tools/MakeAboutPicture.cpp -o /tmp/make-about
//       $(pkg-config --cflags --libs Qt6Gui) -ljpeg
//   QT_QPA_PLATFORM=offscreen /tmp/make-about resources/about.jpg
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <random>
#include <vector>

#include <jpeglib.h>

namespace {

void Sky(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 480);
    sky.setColorAt(0, QColor(4, 6, 20));
    sky.setColorAt(1, QColor(14, 18, 48));
    p.fillRect(0, 0, 640, 480, sky);
    std::mt19937 random(1998);
    std::uniform_int_distribution<int> x(0, 639), y(0, 479), shade(90, 255), size(0, 19);
    for (int i = 0; i < 520; ++i) {
        int v = shade(random);
        QColor star(v, v, std::min(255, v + 25));
        int s = size(random) == 0 ? 2 : 1;
        p.fillRect(x(random), y(random), s, s, star);
    }
}

void Planet(QPainter& p) {
    const QPointF centre(470, 330);
    const double radius = 120;
    // The far half of the ring, behind the planet.
    QPen ring(QColor(200, 170, 120, 150), 9);
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    QRectF ringBox(centre.x() - 205, centre.y() - 48, 410, 96);
    p.save();
    p.translate(centre);
    p.rotate(-14);
    p.translate(-centre);
    p.drawArc(ringBox, 0, 180 * 16);
    p.restore();

    QRadialGradient body(centre.x() - 45, centre.y() - 50, radius * 1.5);
    body.setColorAt(0, QColor(236, 170, 96));
    body.setColorAt(0.55, QColor(170, 84, 40));
    body.setColorAt(1, QColor(30, 10, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
    // Cloud bands.
    p.save();
    QPainterPath clip;
    clip.addEllipse(centre, radius, radius);
    p.setClipPath(clip);
    for (int i = -3; i <= 3; ++i) {
        p.setBrush(QColor(255, 220, 170, 28 + 6 * (i & 1)));
        p.drawEllipse(QPointF(centre.x(), centre.y() + i * 30), radius * 1.2, 9);
    }
    p.restore();

    // The near half of the ring, in front.
    p.setPen(QPen(QColor(225, 200, 150, 210), 9));
    p.setBrush(Qt::NoBrush);
    p.save();
    p.translate(centre);
    p.rotate(-14);
    p.translate(-centre);
    p.drawArc(ringBox, 180 * 16, 180 * 16);
    p.restore();

    // A small moon.
    QRadialGradient moon(118, 352, 40);
    moon.setColorAt(0, QColor(200, 205, 220));
    moon.setColorAt(1, QColor(40, 44, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(moon);
    p.drawEllipse(QPointF(130, 365), 26, 26);
}

void Name(QPainter& p) {
    QFont font("DejaVu Sans");
    font.setPixelSize(96);
    font.setBold(true);
    QPainterPath text;
    text.addText(48, 150, font, "Tesk");
    p.setRenderHint(QPainter::Antialiasing);
    for (int glow = 10; glow >= 2; glow -= 4) {
        p.setPen(QPen(QColor(90, 150, 255, 40), glow, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(text);
    }
    QLinearGradient fill(0, 70, 0, 150);
    fill.setColorAt(0, QColor(235, 245, 255));
    fill.setColorAt(1, QColor(140, 180, 240));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(text);
}

bool WriteJpeg(const QImage& image, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = image.width();
    info.image_height = image.height();
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 88, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(image.width() * 3);
    while (info.next_scanline < info.image_height) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(info.next_scanline));
        for (int x = 0; x < image.width(); ++x) {
            row[x * 3] = qRed(line[x]);
            row[x * 3 + 1] = qGreen(line[x]);
            row[x * 3 + 2] = qBlue(line[x]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const char* out = argc > 1 ? argv[1] : "about.jpg";
    QImage image(640, 480, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        Sky(p);
        Planet(p);
        Name(p);
    }
    if (!WriteJpeg(image, out)) {
        std::fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    return 0;
}
