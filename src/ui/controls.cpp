#include "ui/controls.h"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <map>

namespace vaultor::ui {

PieGauge::PieGauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PieGauge::SetRange(std::int64_t minimum, std::int64_t maximum) {
    if (minimum == minimum_ && maximum == maximum_) return;
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void PieGauge::SetProgress(std::int64_t progress) {
    if (progress == progress_) return;
    progress_ = progress;
    update();
}

void PieGauge::SetColours(const QColor& fore, const QColor& back) {
    if (fore == fore_ && back == back_) return;
    fore_ = fore;
    back_ = back;
    update();
}

void PieGauge::SetShowText(bool show) {
    show_text_ = show;
    update();
}

double PieGauge::ForeShare() const {
    if (maximum_ <= minimum_) return 0.0;
    double share =
        static_cast<double>(progress_ - minimum_) / static_cast<double>(maximum_ - minimum_);
    return std::clamp(share, 0.0, 1.0);
}

int PieGauge::Percent() const {
    return static_cast<int>(ForeShare() * 100.0);
}

void PieGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    int side = std::min(width(), height()) - 2;
    QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(back_);
    p.drawEllipse(circle);
    // Qt counts angles in sixteenths of a degree, counter-clockwise from three
    // o'clock; the share starts at twelve and runs clockwise.
    int span = static_cast<int>(ForeShare() * 360.0 * 16.0);
    if (span > 0) {
        p.setBrush(fore_);
        if (span >= 360 * 16)
            p.drawEllipse(circle);
        else
            p.drawPie(circle, 90 * 16, -span);
    }
    if (show_text_) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter, QString::asprintf("%d%%", Percent()));
    }
}

void ColourButton::SetFaceColour(const QColor& colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::Button, colour);
    setPalette(pal);
    setAutoFillBackground(true);
}

FlatButton::FlatButton(const QString& glyph, QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setIcon(Glyph(glyph));
    setIconSize(QSize(20, 20));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

QIcon Glyph(const QString& name) {
    // The theme's names for the program's glyphs.
    static const std::map<QString, QString> kTheme = {
        {"new-list", "document-new"},
        {"start", "media-playback-start"},
        {"stop", "media-playback-stop"},
        {"test", "edit-find"},
        {"options", "preferences-system"},
        {"help", "help-contents"},
        {"close", "application-exit"},
        {"log", "text-x-generic"},
        {"info", "dialog-information"},
        {"reset-drive", "view-refresh"},
        {"popup", "go-down"},
        {"lock-open", "changes-allow"},
        {"lock-closed", "changes-prevent"},
        {"question", "dialog-question"},
        {"warning", "dialog-warning"},
    };
    QString own = QStringLiteral(":/glyphs/%1.svg").arg(name);
    QIcon fallback = QFile::exists(own) ? QIcon(own) : QIcon();
    auto it = kTheme.find(name);
    if (it == kTheme.end()) return fallback;
    return QIcon::fromTheme(it->second, fallback);
}

}  // namespace vaultor::ui

// The glyphs live in the program's library; this makes sure the linker keeps them.
void InitGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}
