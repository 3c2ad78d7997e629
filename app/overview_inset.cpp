#include "app/overview_inset.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "app/app_pictures.h"
#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "mapdata/codes.h"
#include "raster/qt_canvas.h"
#include "render/feature_draw.h"

namespace tikhomap {
namespace {

// The picture leaves out this much of the city's west edge (metres).
constexpr float kWestOffset = 400;
// The picture's corner; its frame is one pixel wider on every side.
constexpr int kPictureCorner = 14;
constexpr int kFrameCorner = 13;
constexpr int kFrameGrowth = 16;
// Rectangles narrower than this get the pointer beside them.
constexpr int kPointerBelowWidth = 20;
constexpr int kPointerLeft = 34;
constexpr int kPointerUp = 12;
constexpr int kPointerSize = 32;

constexpr int kPictureHeight = 240;
constexpr int kMinPictureWidth = 80;
constexpr int kMaxPictureWidth = 480;

// The native codes of the key right of the full stop on a US keyboard.
constexpr quint32 kWindowsVirtualKey = 191;  // VK_OEM_2
constexpr quint32 kMacVirtualKey = 0x2C;     // kVK_ANSI_Slash
constexpr quint32 kXkbKeycode = 61;          // evdev 53 + 8 (X11, Wayland)

// Colours of the picture, those of the title sheet's city panel.
const QColor kSea(150, 230, 255);
const QColor kLand(208, 217, 186);
const QColor kForest(60, 120, 60);
const QColor kGreen(96, 185, 94);
const QColor kCoast(80, 80, 255);
const QColor kWaterLine(40, 40, 255);
const QColor kStreet(190, 170, 140);
const QColor kBorder(255, 0, 0);

// A key released in the main window ends the overview even when the release
// does not reach the map (a field of the window that the press went past has
// the keyboard, or no window of the program had it). It goes once the
// release has been handled, so that the map's own handling of the release
// comes first.
class KeyReleaseWatch final : public QObject {
 public:
  KeyReleaseWatch(MainWindow& main, OverviewInset& inset)
      : QObject(&inset), main_(main), inset_(inset) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyRelease && inset_.shown() && watched == main_.windowHandle() &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
      QMetaObject::invokeMethod(
          &inset_, [inset = &inset_] { inset->close(); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  MainWindow& main_;
  OverviewInset& inset_;
};

}  // namespace

bool isOverviewKey(const QKeyEvent& event) {
  if (event.nativeScanCode() == 0 && event.nativeVirtualKey() == 0) {
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    return !keypad && (event.key() == Qt::Key_Slash || event.key() == Qt::Key_Question);
  }
#if defined(Q_OS_WIN)
  return event.nativeVirtualKey() == kWindowsVirtualKey;
#elif defined(Q_OS_MACOS)
  return event.nativeVirtualKey() == kMacVirtualKey;
#else
  (void)kWindowsVirtualKey;
  (void)kMacVirtualKey;
  return event.nativeScanCode() == kXkbKeycode;
#endif
}

OverviewMarks overviewMarks(const MapBounds& city, const MapBounds& visible, QSize picture) {
  const double bw = picture.width();
  const double bh = picture.height();
  const double sy = (double(city.yMax) - city.yMin - kWestOffset) / bw;
  const double sx = (double(city.xMax) - city.xMin) / bh;
  OverviewMarks m;
  m.west = static_cast<int>(std::trunc((visible.yMin - city.yMin - kWestOffset) / sy + 14));
  m.east = static_cast<int>(std::trunc((visible.yMax - city.yMin - kWestOffset) / sy + 14));
  m.north = static_cast<int>(std::trunc(bh - (visible.xMax - city.xMin) / sx + 14));
  m.south = static_cast<int>(std::trunc(bh - (visible.xMin - city.xMin) / sx + 14));
  m.pointer = m.east - m.west < kPointerBelowWidth;
  m.pointerAt = QPoint(m.west - kPointerLeft, (m.north + m.south) / 2 - kPointerUp);
  return m;
}

QSize overviewPictureSize(const MapBounds& city) {
  const double across = double(city.yMax) - city.yMin - kWestOffset;
  const double down = double(city.xMax) - city.xMin;
  int width = kMaxPictureWidth;
  if (across > 0 && down > 0) width = static_cast<int>(std::lround(kPictureHeight * across / down));
  return {std::clamp(width, kMinPictureWidth, kMaxPictureWidth), kPictureHeight};
}

QImage renderOverviewPicture(const MapData& map, const MapBounds& city, QSize size,
                             qreal pixelRatio) {
  QImage image(size * pixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(pixelRatio);
  // An inland city lies in land: no sea around it and no coastline.
  const bool coast = map.city.coast;
  image.fill(coast ? kSea : kLand);
  if (size.isEmpty()) return image;
  const double sy = (double(city.yMax) - city.yMin - kWestOffset) / size.width();
  const double sx = (double(city.xMax) - city.xMin) / size.height();
  if (!(sy > 0) || !(sx > 0)) return image;
  const auto at = [&](double x, double y) {
    return QPointF((y - city.yMin - kWestOffset) / sy, size.height() - (x - city.xMin) / sx);
  };
  const auto path = [&](const auto& points, bool closed) {
    QPainterPath p;
    bool first = true;
    for (const auto& point : points) {
      const QPointF q = at(point.x, point.y);
      if (first) {
        p.moveTo(q);
        first = false;
      } else {
        p.lineTo(q);
      }
    }
    if (closed) p.closeSubpath();
    return p;
  };

  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath outline;
  if (!map.districtAreas.empty()) {
    outline = path(areaPoints(map.districtAreas[0]), true);
    painter.fillPath(outline, kLand);
  }
  painter.setPen(Qt::NoPen);
  for (const MapFeature& area : map.areaFeatures) {
    if (area.code == kAreaForest || area.code == kAreaOrchard) {
      painter.fillPath(path(featurePoints(area), true), kForest);
    } else if (area.code == kAreaGreen) {
      painter.fillPath(path(featurePoints(area), true), kGreen);
    }
  }
  painter.setPen(QPen(kWaterLine, 0.8));
  painter.setBrush(kSea);
  for (const MapFeature& water : map.waterFeatures) {
    const auto points = featurePoints(water);
    const bool closed = points.size() > 2 && points.front().x == points.back().x &&
                        points.front().y == points.back().y;
    if (closed) {
      painter.drawPath(path(points, true));
    } else {
      painter.strokePath(path(points, false), painter.pen());
    }
  }
  if (coast) painter.strokePath(outline, QPen(kCoast, 1.0));
  const QPen street(kStreet, 0.7);
  for (const MapFeature& line : map.streetLines) {
    painter.strokePath(path(featurePoints(line), false), street);
  }
  const QPen border(kBorder, 1.0);
  for (const MapFeature& line : map.lineFeatures) {
    if (line.code == kLineDistrictBoundary)
      painter.strokePath(path(featurePoints(line), false), border);
  }
  return image;
}

OverviewInset::OverviewInset(Shell& shell)
    : QObject(&shell.shellWindow()), shell_(shell), map_(&shell.mapWidget()) {
  overlayId_ =
      map_->addOverlay([this](QPainter& painter) { draw(painter); }, OverlayAnchor::Window);
}

OverviewInset::~OverviewInset() {
  // The main window may be half destroyed already (the inset is its child):
  // only the map widget, if it is still there, is touched.
  if (map_ != nullptr) map_->removeOverlay(overlayId_);
}

void OverviewInset::preparePicture() {
  const MapSession& session = shell_.session();
  if (!session.baseMapLoaded() || !session.history.hasWholeCity()) return;
  const MapBounds city = session.history.entry(0);
  picture_ = renderOverviewPicture(session.map, city, overviewPictureSize(city),
                                   shell_.mapWidget().devicePixelRatioF());
}

void OverviewInset::show() {
  if (!shell_.session().baseMapLoaded()) return;
  if (picture_.isNull() || picture_.devicePixelRatio() != shell_.mapWidget().devicePixelRatioF()) {
    preparePicture();
  }
  shown_ = true;
  shell_.mapWidget().update();
}

bool OverviewInset::close() {
  if (!shown_) return false;
  shown_ = false;
  // The frame copy removes the inset; nothing is composed.
  shell_.setRecomposePending(false);
  shell_.mapWidget().update();
  return true;
}

OverviewMarks OverviewInset::marks() const {
  const MapSession& session = shell_.session();
  const ViewState& v = session.view;
  const MapBounds visible{v.viewXMin, v.viewYMin, v.viewXMax, v.viewYMax};
  return overviewMarks(session.history.entry(0), visible,
                       picture_.deviceIndependentSize().toSize());
}

void OverviewInset::draw(QPainter& painter) {
  if (!shown_ || picture_.isNull()) return;
  const ViewState& v = shell_.session().view;
  const QSize size = picture_.deviceIndependentSize().toSize();
  const QRect frame(QPoint(v.viewLeft + kFrameCorner, v.viewTop + kFrameCorner),
                    QPoint(v.viewLeft + size.width() + kFrameGrowth - 1,
                           v.viewTop + size.height() + kFrameGrowth - 1));
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(frame, toQColor(kButtonFace));
  // A raised edge: light above and left, dark below and right.
  painter.setPen(QColor(255, 255, 255));
  painter.drawLine(frame.topLeft(), frame.topRight());
  painter.drawLine(frame.topLeft(), frame.bottomLeft());
  painter.setPen(QColor(105, 105, 105));
  painter.drawLine(frame.bottomLeft(), frame.bottomRight());
  painter.drawLine(frame.topRight(), frame.bottomRight());
  painter.drawImage(QPoint(v.viewLeft + kPictureCorner, v.viewTop + kPictureCorner), picture_);

  const OverviewMarks m = marks();
  // The rectangle's right and bottom sides lie one pixel inside its corner,
  // as every rectangle of the map's drawing.
  const QRect shown(QPoint(m.west, m.north), QPoint(m.east - 2, m.south - 2));
  const StyleSet& styles = shell_.session().styles;
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(toQColor(styles.street[0].color), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawRect(shown);
  painter.setPen(QPen(toQColor(styles.marker.color), 1));
  painter.drawRect(shown);
  if (m.pointer) {
    paintPointerPicture(painter, QRectF(m.pointerAt, QSizeF(kPointerSize, kPointerSize)));
  }
}

OverviewInset& installOverviewInset(MainWindow& main, MouseController& mouse) {
  auto* inset = new OverviewInset(main);
  QObject::connect(&main, &MainWindow::baseMapReady, inset, [inset] { inset->preparePicture(); });
  main.setOverviewKeyHandler([inset] { inset->show(); });
  mouse.setOverviewCloser([inset] { return inset->close(); });
  // A key held while another window takes the keyboard comes up there, and
  // the map never sees its release: the overview goes when the keyboard
  // leaves the main window, or it would stay until some later key.
  QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, inset,
                   [inset, &main](QWindow* focus) {
                     if (focus == nullptr || focus != main.windowHandle()) inset->close();
                   });
  qApp->installEventFilter(new KeyReleaseWatch(main, *inset));
  return *inset;
}

}  // namespace tikhomap
