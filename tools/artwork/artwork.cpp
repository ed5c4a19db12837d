// Draws the pictures of the main page, the splash and the picture buttons, and writes them as
// PNG files into the folder given on the command line (the project's res/ folder).
//
// Every picture the window shows is drawn twice: at its own size, and at twice that size into
// "<name>@2x.png" for screens at a device pixel ratio of 2 (the same drawing at twice the
// pixels, not the small picture blown up).
//
// One style for everything: the page's navy (49, 66, 97) and light steel blues, round
// glossy button faces with white symbols. A button's rest icon is the same face in muted
// slate so that the active icon (shown on hover and press) stands out.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

const QColor kNavy(49, 66, 97);
const QColor kOrange(242, 148, 40);

struct Palette
{
    QColor light;
    QColor dark;
};

// The active faces carry the meaning of the button in their colour; the rest faces do not.
const Palette kBlue{QColor(120, 180, 245), QColor(24, 78, 160)};
const Palette kGreen{QColor(140, 220, 120), QColor(30, 130, 50)};
const Palette kRed{QColor(250, 140, 120), QColor(170, 30, 30)};
const Palette kRest{QColor(190, 202, 220), QColor(92, 108, 136)};

using Symbol = std::function<void(QPainter &, const QRectF &)>;

// The device pixels per logical pixel of the pictures being drawn: 1, then 2 for the @2x set.
int gScale = 1;

// A picture of width x height logical pixels at gScale: a painter on it draws in logical
// pixels and Qt puts them on the finer grid.
QImage NewImage(int width, int height, bool alpha)
{
    QImage image(width * gScale,
                 height * gScale,
                 alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.setDevicePixelRatio(gScale);
    image.fill(alpha ? Qt::transparent : Qt::white);
    return image;
}

// A round button face that fills the square `box`: a radial gradient, a darker rim and a
// highlight across the upper half.
void DrawFace(QPainter &p, const QRectF &box, const Palette &colors)
{
    const QRectF face = box.adjusted(0.5, 0.5, -0.5, -0.5);
    QRadialGradient body(face.center().x() - face.width() * 0.15,
                         face.center().y() - face.height() * 0.2,
                         face.width() * 0.75);
    body.setColorAt(0.0, colors.light);
    body.setColorAt(1.0, colors.dark);
    p.setPen(QPen(colors.dark.darker(140), std::max(1.0, face.width() / 24.0)));
    p.setBrush(body);
    p.drawEllipse(face);

    const QRectF shine(face.left() + face.width() * 0.18,
                       face.top() + face.height() * 0.06,
                       face.width() * 0.64,
                       face.height() * 0.42);
    QLinearGradient gloss(shine.topLeft(), shine.bottomLeft());
    gloss.setColorAt(0.0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(shine);
}

void PlusSymbol(QPainter &p, const QRectF &r)
{
    const double t = std::max(1.6, r.width() * 0.16);
    const QPointF c = r.center();
    const double l = r.width() * 0.30;
    p.fillRect(QRectF(c.x() - l, c.y() - t / 2, 2 * l, t), Qt::white);
    p.fillRect(QRectF(c.x() - t / 2, c.y() - l, t, 2 * l), Qt::white);
}

void MinusSymbol(QPainter &p, const QRectF &r)
{
    const double t = std::max(1.6, r.width() * 0.16);
    const QPointF c = r.center();
    const double l = r.width() * 0.30;
    p.fillRect(QRectF(c.x() - l, c.y() - t / 2, 2 * l, t), Qt::white);
}

void CrossSymbol(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double l = r.width() * 0.21;
    p.setPen(QPen(Qt::white, std::max(1.6, r.width() * 0.15), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - l, c.y() - l), QPointF(c.x() + l, c.y() + l));
    p.drawLine(QPointF(c.x() + l, c.y() - l), QPointF(c.x() - l, c.y() + l));
}

void PlaySymbol(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double s = r.width() * 0.24;
    QPainterPath path;
    path.moveTo(c.x() - s * 0.75, c.y() - s);
    path.lineTo(c.x() + s * 1.05, c.y());
    path.lineTo(c.x() - s * 0.75, c.y() + s);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(path);
}

void StopSymbol(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double s = r.width() * 0.19;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(c.x() - s, c.y() - s, 2 * s, 2 * s), s * 0.2, s * 0.2);
}

void HelpSymbol(QPainter &p, const QRectF &r)
{
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(int(r.height() * 0.62));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(r.translated(0, r.height() * 0.02), Qt::AlignCenter, "?");
}

// Start Converting: a film frame turning into an arrow.
void ConvertSymbol(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double s = r.width() * 0.25;
    QPainterPath arrow;
    arrow.moveTo(c.x() - s * 1.1, c.y() - s * 0.42);
    arrow.lineTo(c.x() + s * 0.15, c.y() - s * 0.42);
    arrow.lineTo(c.x() + s * 0.15, c.y() - s);
    arrow.lineTo(c.x() + s * 1.25, c.y());
    arrow.lineTo(c.x() + s * 0.15, c.y() + s);
    arrow.lineTo(c.x() + s * 0.15, c.y() + s * 0.42);
    arrow.lineTo(c.x() - s * 1.1, c.y() + s * 0.42);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

QImage ButtonIcon(int width, int height, const Palette &colors, const Symbol &symbol)
{
    QImage image = NewImage(width, height, true);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width, height);
    const QRectF box((width - side) / 2.0, (height - side) / 2.0, side, side);
    DrawFace(p, box, colors);
    symbol(p, box);
    return image;
}

// A small phone with a picture on its screen, used by the program icon and the splash.
void DrawPhone(QPainter &p, const QRectF &r)
{
    const double radius = r.width() * 0.18;
    QLinearGradient body(r.topLeft(), r.topRight());
    body.setColorAt(0.0, QColor(78, 98, 135));
    body.setColorAt(1.0, QColor(28, 40, 62));
    p.setPen(QPen(QColor(16, 24, 40), std::max(1.0, r.width() / 16.0)));
    p.setBrush(body);
    p.drawRoundedRect(r, radius, radius);

    const QRectF screen(r.left() + r.width() * 0.14,
                        r.top() + r.height() * 0.14,
                        r.width() * 0.72,
                        r.height() * 0.56);
    QLinearGradient glass(screen.topLeft(), screen.bottomLeft());
    glass.setColorAt(0.0, QColor(150, 205, 250));
    glass.setColorAt(1.0, QColor(40, 110, 190));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRect(screen);

    const QPointF c = screen.center();
    const double s = screen.height() * 0.26;
    QPainterPath play;
    play.moveTo(c.x() - s * 0.8, c.y() - s);
    play.lineTo(c.x() + s, c.y());
    play.lineTo(c.x() - s * 0.8, c.y() + s);
    play.closeSubpath();
    p.setBrush(kOrange);
    p.drawPath(play);

    const double key = r.width() * 0.11;
    const QPointF keyCentre(r.center().x(), r.top() + r.height() * 0.84);
    p.setBrush(QColor(200, 210, 225));
    p.drawEllipse(keyCentre, key, key);
}

QImage ProgramIcon()
{
    QImage image = NewImage(32, 32, true);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPhone(p, QRectF(7.5, 1.5, 17, 29));
    return image;
}

// A film strip across the width of `r`, with holes along both edges.
void DrawFilmStrip(QPainter &p, const QRectF &r, const QColor &holes)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 16, 28, 200));
    p.drawRect(r);
    const double hole = r.height() * 0.22;
    p.setBrush(holes);
    for (double x = r.left() + hole; x < r.right() - hole; x += hole * 2.4) {
        p.drawRoundedRect(QRectF(x, r.top() + hole * 0.5, hole * 1.3, hole), 1, 1);
        p.drawRoundedRect(QRectF(x, r.bottom() - hole * 1.5, hole * 1.3, hole), 1, 1);
    }
}

// The page background: light steel blue with soft waves, made to be stretched over the page.
QImage Background()
{
    const int w = 463;
    const int h = 282;
    QImage image = NewImage(w, h, false);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(236, 242, 250));
    sky.setColorAt(0.55, QColor(218, 228, 242));
    sky.setColorAt(1.0, QColor(192, 208, 230));
    p.fillRect(image.rect(), sky);

    auto wave = [&](double base, double amplitude, double phase, QColor color) {
        QPainterPath path;
        path.moveTo(0, h);
        for (int x = 0; x <= w; x += 4) {
            const double y = base + amplitude * std::sin(x / double(w) * 2 * M_PI * 0.9 + phase);
            path.lineTo(x, y);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        p.fillPath(path, color);
    };
    wave(h * 0.72, 12, 0.4, QColor(255, 255, 255, 70));
    wave(h * 0.80, 10, 1.6, QColor(120, 148, 190, 45));
    wave(h * 0.90, 7, 2.6, QColor(49, 66, 97, 40));

    // A faint rule under the top edge, as a title band.
    p.fillRect(QRectF(0, 0, w, 3), QColor(49, 66, 97, 60));
    return image;
}

// The picture in the video area until a source is added.
QImage FadePicture()
{
    const int w = 263;
    const int h = 198;
    QImage image = NewImage(w, h, false);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, h);
    back.setColorAt(0.0, QColor(38, 56, 90));
    back.setColorAt(1.0, QColor(14, 22, 40));
    p.fillRect(image.rect(), back);

    DrawFilmStrip(p, QRectF(0, 8, w, 22), QColor(190, 205, 228));
    DrawFilmStrip(p, QRectF(0, h - 30, w, 22), QColor(190, 205, 228));

    DrawFace(p, QRectF(w / 2.0 - 30, 46, 60, 60), kBlue);
    PlaySymbol(p, QRectF(w / 2.0 - 30, 46, 60, 60));

    QFont title("DejaVu Sans");
    title.setBold(true);
    title.setPixelSize(24);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 108, w, 30), Qt::AlignCenter, "Mivartel");

    QFont hint("DejaVu Sans");
    hint.setPixelSize(11);
    p.setFont(hint);
    p.setPen(QColor(190, 205, 228));
    p.drawText(QRectF(0, 136, w, 18), Qt::AlignCenter, "Add a video to begin");
    return image;
}

QImage Splash()
{
    const int w = 386;
    const int h = 157;
    QImage image = NewImage(w, h, false);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, w, h);
    back.setColorAt(0.0, QColor(64, 86, 126));
    back.setColorAt(1.0, QColor(22, 32, 54));
    p.fillRect(image.rect(), back);

    DrawFilmStrip(p, QRectF(0, h - 24, w, 18), QColor(120, 140, 175));
    DrawPhone(p, QRectF(30, 18, 62, 106));

    QFont title("DejaVu Sans");
    title.setBold(true);
    title.setPixelSize(40);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(116, 22, w - 126, 50), Qt::AlignLeft | Qt::AlignVCenter, "Mivartel");

    p.fillRect(QRectF(118, 76, 190, 3), kOrange);

    QFont subtitle("DejaVu Sans");
    subtitle.setPixelSize(13);
    p.setFont(subtitle);
    p.setPen(QColor(210, 222, 240));
    p.drawText(QRectF(118, 86, w - 126, 20), Qt::AlignLeft, "Video to 3GP and 3G2");
    p.drawText(QRectF(118, 104, w - 126, 20), Qt::AlignLeft, "for cell phones");

    p.setPen(QColor(40, 52, 78));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return image;
}

// A 16-pixel phone on the pixel grid: a dark body with a one-pixel rim, a screen with a
// two-pixel play mark and a one-pixel key. The smooth phone smears into grey at this size.
QImage SmallLauncherIcon()
{
    QImage image = NewImage(16, 16, true);
    QPainter p(&image);
    p.fillRect(QRect(4, 0, 8, 16), QColor(16, 24, 40));
    p.fillRect(QRect(5, 1, 6, 14), QColor(52, 70, 104));
    QLinearGradient glass(0, 2, 0, 10);
    glass.setColorAt(0.0, QColor(150, 205, 250));
    glass.setColorAt(1.0, QColor(40, 110, 190));
    p.fillRect(QRect(5, 2, 6, 8), glass);
    p.fillRect(QRect(7, 4, 1, 4), kOrange);
    p.fillRect(QRect(8, 5, 1, 2), kOrange);
    p.fillRect(QRect(7, 12, 2, 1), QColor(200, 210, 225));
    // Rounded corners: the outermost pixels stay clear.
    for (const QPoint corner : {QPoint(4, 0), QPoint(11, 0), QPoint(4, 15), QPoint(11, 15)})
        image.setPixelColor(corner, Qt::transparent);
    return image;
}

// The launcher's icon at one of the desktop's sizes, each laid out for its own size: 16
// pixels on the pixel grid, 32 the window's icon, and from 48 up the phone beside the film
// strip that it is converted from.
QImage LauncherIcon(int size)
{
    if (size <= 16)
        return SmallLauncherIcon();
    if (size <= 32)
        return ProgramIcon();
    QImage image = NewImage(size, size, true);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 48.0;
    p.save();
    p.translate(size * 0.34, size * 0.7);
    p.rotate(-24);
    DrawFilmStrip(p, QRectF(-size * 0.3, -9 * unit, size * 0.62, 18 * unit), QColor(236, 240, 248));
    p.restore();
    // Whole pixels for the phone's edges; the rim is 1.5 pixels wide at 48.
    const double width = std::round(25 * unit);
    const double height = std::round(44 * unit);
    DrawPhone(p, QRectF(std::round(size * 0.44), std::round(2 * unit), width, height));
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("res"));
    QTextStream err(stderr);
    if (!out.exists()) {
        err << "no such folder: " << out.path() << "\n";
        return 2;
    }

    struct Picture
    {
        QString name;
        QImage image;
    };
    const auto pictures = [] {
        return QList<Picture>{
            {"bitmap_185.png", Background()},
            {"bitmap_190.png", FadePicture()},
            {"bitmap_173.png", Splash()},
            {"icon_128.png", ProgramIcon()},
            // Remove selected, rest and active.
            {"icon_135.png", ButtonIcon(16, 16, kRest, MinusSymbol)},
            {"icon_136.png", ButtonIcon(16, 16, kRed, MinusSymbol)},
            // Add a video.
            {"icon_137.png", ButtonIcon(16, 16, kRest, PlusSymbol)},
            {"icon_138.png", ButtonIcon(16, 16, kGreen, PlusSymbol)},
            // Remove all.
            {"icon_139.png", ButtonIcon(16, 16, kRest, CrossSymbol)},
            {"icon_140.png", ButtonIcon(16, 16, kRed, CrossSymbol)},
            // Help: active 26 x 26, rest 27 x 26.
            {"icon_141.png", ButtonIcon(26, 26, kBlue, HelpSymbol)},
            {"icon_142.png", ButtonIcon(27, 26, kRest, HelpSymbol)},
            // Stop Converting, active and rest.
            {"icon_145.png", ButtonIcon(46, 46, kRed, StopSymbol)},
            {"icon_146.png", ButtonIcon(46, 46, kRest, StopSymbol)},
            // Start Converting, active and rest.
            {"icon_147.png", ButtonIcon(46, 46, kGreen, ConvertSymbol)},
            {"icon_148.png", ButtonIcon(46, 46, kRest, ConvertSymbol)},
            // Preview, active and rest.
            {"icon_188.png", ButtonIcon(17, 17, kGreen, PlaySymbol)},
            {"icon_189.png", ButtonIcon(17, 17, kRest, PlaySymbol)},
            // Stop preview, active and rest.
            {"icon_190.png", ButtonIcon(17, 17, kRed, StopSymbol)},
            {"icon_191.png", ButtonIcon(17, 17, kRest, StopSymbol)},
        };
    };
    for (const int scale : {1, 2}) {
        gScale = scale;
        for (const Picture &picture : pictures()) {
            QString name = picture.name;
            if (scale > 1)
                name.insert(name.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(scale));
            const QString path = out.filePath(name);
            if (!picture.image.save(path, "PNG")) {
                err << "cannot write " << path << "\n";
                return 1;
            }
        }
    }
    gScale = 1;
    // The launcher's icons, laid out as under share/icons/hicolor.
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        const QString path = out.filePath(folder + "/org.mivartel.Mivartel.png");
        if (!out.mkpath(folder) || !LauncherIcon(size).save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
