// Draws the program's icon, a page of a report with a ruled list and an accepted mark on a blue tile, as
// an SVG file and as PNG files of the sizes asked for. The shapes are described once, on a 256-unit square,
// and written out both ways from that description.
//
//     talmere-icon FOLDER SIZE...

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

struct Shape {
    enum class Kind { RoundedRectangle, Polygon, Stroke };
    Kind kind;
    QColor colour;
    std::vector<QPointF> points; // rectangle: top left and bottom right; polygon and stroke: the corners
    double radius = 0;           // rectangle: corner radius; stroke: line width
};

std::vector<Shape> IconShapes()
{
    const QColor tile(0x1f, 0x4e, 0x79);
    const QColor page(0xfb, 0xfb, 0xf7);
    const QColor fold(0xd4, 0xdb, 0xe3);
    const QColor rule(0x8a, 0x9b, 0xad);
    const QColor mark(0x2e, 0xa0, 0x6b);
    std::vector<Shape> shapes = {
        {Shape::Kind::RoundedRectangle, tile, {{8, 8}, {248, 248}}, 40},
        {Shape::Kind::Polygon, page, {{64, 36}, {160, 36}, {196, 72}, {196, 220}, {64, 220}}},
        {Shape::Kind::Polygon, fold, {{160, 36}, {196, 72}, {160, 72}}},
    };
    for (int line = 0; line < 5; ++line) {
        const double y = 96 + line * 22;
        const double end = line == 4 ? 140 : 176;
        shapes.push_back({Shape::Kind::Stroke, rule, {{84, y}, {end, y}}, 8});
    }
    shapes.push_back({Shape::Kind::Stroke, mark, {{140, 196}, {164, 218}, {214, 160}}, 20});
    return shapes;
}

QString SvgOf(const std::vector<Shape>& shapes)
{
    QString svg;
    QTextStream out(&svg);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    for (const Shape& shape : shapes) {
        const QString colour = shape.colour.name();
        switch (shape.kind) {
        case Shape::Kind::RoundedRectangle: {
            const QPointF& a = shape.points[0];
            const QPointF& b = shape.points[1];
            out << "  <rect x=\"" << a.x() << "\" y=\"" << a.y() << "\" width=\"" << b.x() - a.x() << "\" height=\""
                << b.y() - a.y() << "\" rx=\"" << shape.radius << "\" fill=\"" << colour << "\"/>\n";
            break;
        }
        case Shape::Kind::Polygon:
        case Shape::Kind::Stroke: {
            QString points;
            for (const QPointF& point : shape.points) {
                points += QStringLiteral("%1,%2 ").arg(point.x()).arg(point.y());
            }
            if (shape.kind == Shape::Kind::Polygon) {
                out << "  <polygon points=\"" << points.trimmed() << "\" fill=\"" << colour << "\"/>\n";
            } else {
                out << "  <polyline points=\"" << points.trimmed() << "\" fill=\"none\" stroke=\"" << colour
                    << "\" stroke-width=\"" << shape.radius
                    << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
            }
            break;
        }
        }
    }
    out << "</svg>\n";
    return svg;
}

QImage ImageOf(const std::vector<Shape>& shapes, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    for (const Shape& shape : shapes) {
        switch (shape.kind) {
        case Shape::Kind::RoundedRectangle:
            painter.setPen(Qt::NoPen);
            painter.setBrush(shape.colour);
            painter.drawRoundedRect(QRectF(shape.points[0], shape.points[1]), shape.radius, shape.radius);
            break;
        case Shape::Kind::Polygon:
            painter.setPen(Qt::NoPen);
            painter.setBrush(shape.colour);
            painter.drawPolygon(shape.points.data(), static_cast<int>(shape.points.size()));
            break;
        case Shape::Kind::Stroke:
            painter.setPen(QPen(shape.colour, shape.radius, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(shape.points.data(), static_cast<int>(shape.points.size()));
            break;
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: talmere-icon FOLDER SIZE...\n");
        return 64;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "talmere-icon: cannot make %s\n", argv[1]);
        return 73;
    }
    const std::vector<Shape> shapes = IconShapes();
    QFile svg(folder + QStringLiteral("/talmere.svg"));
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(SvgOf(shapes).toUtf8()) < 0) {
        std::fprintf(stderr, "talmere-icon: cannot write the SVG file\n");
        return 73;
    }
    svg.close();
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "talmere-icon: %s is no icon size (8 to 1024)\n", argv[i]);
            return 64;
        }
        if (!ImageOf(shapes, size).save(folder + QStringLiteral("/talmere-%1.png").arg(size), "PNG")) {
            std::fprintf(stderr, "talmere-icon: cannot write the %d pixel PNG file\n", size);
            return 73;
        }
    }
    return 0;
}
